#pragma once
// Where the file loaders put what they read: the data window's graph, its progress window and
// the few window controls a load changes. The desktop program adapts its graph model to this;
// tests keep the points in a list.
//
// One point is one sample: its X value, worked out by the loader for the window's view, and
// the sample in calibrated quantities, which carries everything any view of the graph shows.
// Points from raw files are the conversion's output as it stands. Points from calibrated files
// carry the values their row holds, in the fields the row was written from:
//   - time, depth;
//   - Vantor types: bbCorrected[k] and bb[k] (uncorrected) for k < ChannelCount(type);
//   - a-Lumo: bbCorrected[0], bb[0], sigmaK (the measured absorption, channel 2) and aCorrected
//     (channel 1);
//   - c-Lumo: bbCorrected[0], bb[0] and attenuation[0] (the measured attenuation, channel 1);
//   - Trevan-2: attenuation[0], attenuation[1] and temperature;
// with valid[k] set for the channels read and the rest of the sample zero. A value whose
// computation faulted holds the marker Failed (1E+308) in both kinds.

#include <cstdint>
#include <string>
#include <vector>

#include "calibration/CalibratedSample.h"

namespace tidewell {

class LoadSink {
  public:
    virtual ~LoadSink() = default;

    // --- The graph.
    // Empties every trace, for a new file or the next group of points.
    virtual void Clear() = 0;
    // The instrument type of the points that follow (the sample's family decides its traces).
    virtual void SetInstrumentType(int /*instrumentType*/) {}
    // A raw file recorded by the Mu procedure: the graph shows Mu data.
    virtual void SetUpForMu() {}
    // The channel names of a calibrated file, for the window's channel selector.
    virtual void SetChannelNames(const std::vector<std::string>& /*names*/) {}
    // The X axis the loader works the X values out for: elapsed minutes, or depth in metres or
    // (when DepthInFeet) in feet.
    virtual bool AgainstDepth() const { return false; }
    virtual bool DepthInFeet() const { return false; }
    // How many points one group may hold (MaxGraphPoints).
    virtual int64_t Capacity() const = 0;
    // One point. Unlike live data, loaded points never trim the traces: the loader asks before
    // the group would overflow.
    virtual void AddPoint(double x, const CalibratedSample& sample) = 0;
    // Draws what the graph holds: during the load now and then (`final` false: every 300
    // points once the group holds more than 2000, so a graph whose drawing takes long draws
    // at most a few times a second and skips the rest), and once at the end with the final
    // scaling (`final` true).
    virtual void Redraw(bool /*final*/) {}

    // --- The progress window (with its Cancel button, which sets the cancel flag to -1).
    virtual void BeginProgress(const std::string& /*caption*/, int64_t /*range*/) {}
    virtual void SetProgress(int64_t /*position*/) {}
    virtual void EndProgress() {}
    // Lets pending window events run (the Cancel button among them).
    virtual void ProcessEvents() {}

    // --- The window.
    // A load has finished: the save, print and file-header menu entries become available.
    virtual void LoadFinished() {}
};

}  // namespace tidewell
