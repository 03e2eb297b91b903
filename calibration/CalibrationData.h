#pragma once
// One instrument's calibration: identification, depth calibration, and the per-channel records
// of the scattering (and fluorescence) channels and of the attenuation channels.
//
// The conversion reads it for every sample: the instrument-wide fields are public members and
// the records are reached with Channel(c) and Attenuation(c), plain references to plain structs.
// Everything that has a side effect (a derived value, a follower channel, the channel map) is
// changed only through the setters below, which keep the derived values right.
//
// Channel indices run 0-12 (the instruments use 0-7); an index outside that range is a
// programming error and throws std::out_of_range. Channel numbers stored inside records (ChEx,
// ChRep, IsExcitationForChannel) are 1-based, 0 meaning "none".

#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>

#include "calibration/ChannelCalibration.h"
#include "calibration/SigmaModel.h"
#include "calibration/SigmaParams.h"
#include "stream/Prompter.h"

namespace tidewell {

// Bits of CalibrationDataClass::Changed, and of what Compare returns.
enum CalChange : int32_t {
    kChangedMu = 1,
    kChangedOffset = 2,
    kChangedGain = 4,
    kChangedIdentification = 8,
    kChangedDepth = 16,
    kChangedPolySigma = 32,
    kChangedExpSigma = 64,
    kChangedWavelength = 128,
    kChangedTempCoeff = 256,
    kChangedAttenuation = 512,
    kChangedReference = 1024,
    kChangedComment = 2048,
    kChangedFluorescenceMu = 4096,
    kChangedConfiguration = 32768,
};

// Cuts a calibration file's text into lines (CalFile.cpp).
class CalLineReader;

// The source file name a merged calibration carries.
inline constexpr const char* kMultipleSources = "[multiple sources]";

class CalibrationDataClass {
  public:
    // Instrument-wide fields.
    double ModificationTime = 0;  // days since 1899-12-30; 0 = unknown
    int32_t Changed = 0;          // CalChange bits changed since loading
    std::string Comment;          // free text, several lines
    int32_t DeviceType = 7;       // instrument type code; 7 = unknown
    float CalTemp = 0;            // deg C at which the scattering channels were calibrated
    double CalTime = 0;           // days since 1899-12-30
    float MaxDepth = 0;           // rated depth; 0 = not given
    std::string Label;
    std::string Serial;
    std::string Config;
    float DepthCal = 0;  // depth scale factor
    float DepthOff = 0;  // depth offset
    // Trevan-2 pressure and depth coefficients; Clear keeps them.
    float kp1 = 0;
    float kp2 = 0;
    float P0 = 0;
    int32_t TP0 = 0;
    float kD1 = 0;
    float kD2 = 0;

    CalibrationDataClass();

    // The records, for the conversion's per-sample reads.
    const ChannelCalibration& Channel(int chan) const { return channels_[Slot(chan)]; }
    const AttenuationCalibration& Attenuation(int chan) const { return attenuation_[Slot(chan)]; }

    // Scattering channels (6, 4, 2, 1, 1, 1, 0; -1 for unknown) and channel records in use
    // (8, 4, 3, 1, 1, 1, 0; -1) of DeviceType. Records from bChannels to ChannelCount - 1 are
    // fluorescence channels.
    int bChannels() const;
    int ChannelCount() const;

    // --- Where the calibration came from.
    const std::string& SourceFile() const { return sourceFile_; }
    // Loads a calibration file (.cal or the older .ini) into this object. On success the path
    // becomes SourceFile; the caller makes it the program's current calibration file (and on
    // failure blanks its caption). The derived values are brought up to date with `params`;
    // messages go to `prompter`.
    bool SetSourceFile(const std::string& path, const SigmaParams& params,
                       const SigmaTables& tables, Prompter& prompter);
    // What reading a calibration file found.
    enum class FileRead {
        kNotRead,   // missing, or it could not be opened (and a message said why)
        kNoValues,  // read, but no line set a calibration value: at most the identification
                    // (Label, DeviceType, Serial, Config, CalTime), as any data file's header has
        kValues,    // read, with calibration values
    };
    // SetSourceFile, telling what the file held: it succeeds unless the result is kNotRead.
    FileRead ReadSourceFile(const std::string& path, const SigmaParams& params,
                            const SigmaTables& tables, Prompter& prompter);
    // Reads a calibration from the text of a calibration file, as ReadSourceFile reads the file
    // (never kNotRead); SourceFile stays as it was.
    FileRead ReadCalText(std::string_view text, const SigmaParams& params,
                         const SigmaTables& tables, Prompter& prompter);
    // Names the source without loading anything (a calibration applied by a batch run).
    void SetSourceFileName(const std::string& path) { sourceFile_ = path; }
    // The last file SaveCopyToFile wrote, when it still exists; else SourceFile.
    std::string SavedFile() const;
    // The words of the set Changed bits, joined by ", ".
    std::string ChangedDescription() const;

    // --- Channel map (a receiver shared by a real and a virtual channel on the Vantor-6).
    int16_t ChEx(int chan) const { return channels_[Slot(chan)].ChEx; }
    void SetChEx(int chan, int16_t channelNumber);
    int16_t ChRep(int chan) const { return channels_[Slot(chan)].ChRep; }
    void SetChRep(int chan, int16_t channelNumber);
    bool IsVirtualChannel(int chan) const { return channels_[Slot(chan)].IsVirtualChannel; }
    bool IsSharedReceiver(int chan) const { return channels_[Slot(chan)].IsSharedReceiver; }
    int16_t IsExcitationForChannel(int chan) const {
        return channels_[Slot(chan)].IsExcitationForChannel;
    }
    // ChRep(chan) when the channel's receiver is shared, else 0.
    int16_t IsReceiverForVirtualChannel(int chan) const {
        const ChannelCalibration& c = channels_[Slot(chan)];
        return c.IsSharedReceiver ? c.ChRep : 0;
    }

    // --- Scattering and fluorescence channels.
    const std::string& name(int chan) const { return channels_[Slot(chan)].name; }
    // Also sets lambda to the first number in the text, rounded ("bb(470)" gives 470).
    void SetName(int chan, const std::string& text);
    int16_t lambda(int chan) const { return channels_[Slot(chan)].lambda; }
    // Also brings a and bbTilde of every channel up to date, with the sigma parameters last
    // given to UpdateOpticalEstimates (nothing more before that).
    void SetLambda(int chan, int16_t nm);
    int16_t bDeltaLambda(int chan) const { return channels_[Slot(chan)].bDeltaLambda; }
    void SetBDeltaLambda(int chan, int16_t nm) { channels_[Slot(chan)].bDeltaLambda = nm; }
    // g = gain setting 1-5.
    double gain(int chan, int g) const { return channels_[Slot(chan)].gain[GainSlot(g)]; }
    // Stores v rounded to 6 decimal places; on a Vantor-2 channel 1's gains also go to the
    // fluorescence channel 2, on a Vantor-6 a shared receiver's gains also go to its virtual
    // channel.
    void SetGain(int chan, int g, double v);
    double Mu(int chan) const { return channels_[Slot(chan)].Mu; }
    // Stores v; when calGain (1 or 2) differs from MuGain the gains are rescaled so that the
    // gain of calGain is 1.0 (unless it is 0 or already 1.0), and MuGain becomes calGain.
    void SetMu(int chan, int calGain, double v);
    int16_t MuGain(int chan) const { return channels_[Slot(chan)].MuGain; }
    double MuRho(int chan) const { return channels_[Slot(chan)].MuRho; }
    void SetMuRho(int chan, double v) { channels_[Slot(chan)].MuRho = v; }
    // i = 0-2 (s0, s1, s2).
    double Sigma(int chan, int i) const;
    // An index outside 0-2 stores nothing and shows "Sigma array out of bounds.".
    void SetSigma(int chan, int i, double v, Prompter& prompter);
    double SigmaExp(int chan) const { return channels_[Slot(chan)].SigmaExp; }
    // Also sets UseSigmaExp (v > 0.0001).
    void SetSigmaExp(int chan, double v);
    bool UseSigmaExp(int chan) const { return channels_[Slot(chan)].UseSigmaExp; }
    double ROutOff(int chan) const { return channels_[Slot(chan)].ROutOff; }
    // Stores the whole part; a fraction of at least 0.0001 is the exponential sigma coefficient.
    void SetROutOff(int chan, double v);
    double RNominal(int chan) const { return channels_[Slot(chan)].RNominal; }
    // A new value marks everything changed (Changed = -1).
    void SetRNominal(int chan, double v);
    double beta2bb(int chan) const { return channels_[Slot(chan)].beta2bb; }
    void SetBeta2bb(int chan, double v) { channels_[Slot(chan)].beta2bb = v; }
    double bb2c(int chan) const { return channels_[Slot(chan)].bb2c; }
    // Stores the whole part; a fraction of at least 0.0001 is MuRho / 10.
    void SetBb2c(int chan, double v);
    double bTempCoeff(int chan) const { return channels_[Slot(chan)].bTempCoeff; }
    void SetBTempCoeff(int chan, double v) { channels_[Slot(chan)].bTempCoeff = v; }
    // gainSetting = 0-5.
    int16_t DarkOffset(int chan, int gainSetting) const {
        return channels_[Slot(chan)].DarkOffset[OffsetSlot(gainSetting)];
    }
    void SetDarkOffset(int chan, int gainSetting, int16_t v) {
        channels_[Slot(chan)].DarkOffset[OffsetSlot(gainSetting)] = v;
    }
    int16_t NomOffset(int chan, int gainSetting) const {
        return channels_[Slot(chan)].NomOffset[OffsetSlot(gainSetting)];
    }
    void SetNomOffset(int chan, int gainSetting, int16_t v) {
        channels_[Slot(chan)].NomOffset[OffsetSlot(gainSetting)] = v;
    }
    int16_t FlOffset(int chan, int gainSetting) const {
        return channels_[Slot(chan)].FlOffset[OffsetSlot(gainSetting)];
    }
    void SetFlOffset(int chan, int gainSetting, int16_t v) {
        channels_[Slot(chan)].FlOffset[OffsetSlot(gainSetting)] = v;
    }
    double a(int chan) const { return channels_[Slot(chan)].a; }
    double bbTilde(int chan) const { return channels_[Slot(chan)].bbTilde; }

    // --- Attenuation channels.
    int16_t KLambda(int chan) const { return attenuation_[Slot(chan)].KLambda; }
    void SetKLambda(int chan, int16_t nm) { attenuation_[Slot(chan)].KLambda = nm; }
    int16_t KDeltaLambda(int chan) const { return attenuation_[Slot(chan)].KDeltaLambda; }
    void SetKDeltaLambda(int chan, int16_t nm) { attenuation_[Slot(chan)].KDeltaLambda = nm; }
    float KPath(int chan) const { return attenuation_[Slot(chan)].KPath; }
    void SetKPath(int chan, float v) { attenuation_[Slot(chan)].KPath = v; }
    int32_t TrNought(int chan) const { return attenuation_[Slot(chan)].TrNought; }
    void SetTrNought(int chan, int32_t v) { attenuation_[Slot(chan)].TrNought = v; }
    int32_t TrPure(int chan) const { return attenuation_[Slot(chan)].TrPure; }
    void SetTrPure(int chan, int32_t v) { attenuation_[Slot(chan)].TrPure = v; }
    int32_t TrAir(int chan) const { return attenuation_[Slot(chan)].TrAir; }
    void SetTrAir(int chan, int32_t v) { attenuation_[Slot(chan)].TrAir = v; }
    float KCalTemp(int chan) const { return attenuation_[Slot(chan)].KCalTemp; }
    void SetKCalTemp(int chan, float v) { attenuation_[Slot(chan)].KCalTemp = v; }
    // j = 0-4.
    float KChi(int chan, int j) const { return attenuation_[Slot(chan)].KChi[Within(j, 5)]; }
    void SetKChi(int chan, int j, float v) { attenuation_[Slot(chan)].KChi[Within(j, 5)] = v; }
    // i = 0-6.
    float KTempCoeff(int chan, int i) const {
        return attenuation_[Slot(chan)].KTempCoeff[Within(i, 7)];
    }
    // Also recomputes KTempNormCoeff of every attenuation channel.
    void SetKTempCoeff(int chan, int i, float v);
    double KTempNormCoeff(int chan) const { return attenuation_[Slot(chan)].KTempNormCoeff; }
    // i = 0-10.
    int32_t KDepthThresh(int chan, int i) const {
        return attenuation_[Slot(chan)].KDepthThresh[Within(i, 11)];
    }
    void SetKDepthThresh(int chan, int i, int32_t v) {
        attenuation_[Slot(chan)].KDepthThresh[Within(i, 11)] = v;
    }
    // i = 0-6.
    float KDepthCoeff(int chan, int i) const {
        return attenuation_[Slot(chan)].KDepthCoeff[Within(i, 7)];
    }
    void SetKDepthCoeff(int chan, int i, float v) {
        attenuation_[Slot(chan)].KDepthCoeff[Within(i, 7)] = v;
    }
    float aPure(int chan) const { return attenuation_[Slot(chan)].aPure; }
    void SetAPure(int chan, float v) { attenuation_[Slot(chan)].aPure = v; }
    float betaPure(int chan) const { return attenuation_[Slot(chan)].betaPure; }
    void SetBetaPure(int chan, float v) { attenuation_[Slot(chan)].betaPure = v; }
    float KL(int chan) const { return attenuation_[Slot(chan)].KL; }
    void SetKL(int chan, float v) { attenuation_[Slot(chan)].KL = v; }
    int32_t KS0(int chan) const { return attenuation_[Slot(chan)].KS0; }
    void SetKS0(int chan, int32_t v) { attenuation_[Slot(chan)].KS0 = v; }
    int32_t KR0(int chan) const { return attenuation_[Slot(chan)].KR0; }
    void SetKR0(int chan, int32_t v) { attenuation_[Slot(chan)].KR0 = v; }
    // i = 0-5. Read back divided by the channel's normaliser when that is above 0.
    double KkT(int chan, int i) const;
    // Stores the raw coefficient and recomputes the normaliser.
    void SetKkT(int chan, int i, double v);
    // i = 1-2.
    double KP(int chan, int i) const { return attenuation_[Slot(chan)].KP[PressureSlot(i)]; }
    // Also recomputes the kTauP normaliser (P2 is its variable).
    void SetKP(int chan, int i, double v);
    float KkTauPX(int chan) const { return attenuation_[Slot(chan)].KkTauPX; }
    void SetKkTauPX(int chan, float v) { attenuation_[Slot(chan)].KkTauPX = v; }
    // i = 0-5, normalised like KkT.
    double KkTauP(int chan, int i) const;
    void SetKkTauP(int chan, int i, double v);
    double KTau0(int chan) const { return attenuation_[Slot(chan)].KTau0; }
    void SetKTau0(int chan, double v) { attenuation_[Slot(chan)].KTau0 = v; }
    float KTPW(int chan) const { return attenuation_[Slot(chan)].KTPW; }
    // Also recomputes the kT normaliser (TPW is its variable).
    void SetKTPW(int chan, float v);
    // Upper index of the two polynomial arrays.
    static constexpr int KkTUbound() { return 5; }
    static constexpr int KkTauPUbound() { return 5; }

    // --- The whole calibration.
    // Back to a new calibration's values; the Trevan-2 pressure coefficients, the attenuation
    // depth coefficients and normalisers, and the derived channel map stay.
    void Clear();
    // Every field of both record arrays and every instrument-wide field of src.
    void Copy(const CalibrationDataClass& src);
    // CalChange bits of the groups in which the two calibrations differ.
    int32_t Compare(const CalibrationDataClass& other) const;
    // Takes from src only the groups whose bits are in mask; the source becomes
    // "[multiple sources]".
    void Merge(const CalibrationDataClass& src, int32_t mask);
    // MuGain from the gain tables: the setting whose gain is exactly 1.0 (setting 1 preferred).
    void UpdateMuGains();
    // a and bbTilde of channels 0-7 from the bio-optical estimates at their wavelengths.
    void UpdateOpticalEstimates(const SigmaParams& params, const SigmaTables& tables,
                                Prompter& prompter);
    // Sigma(c, 0) so that sigma is 1 at the pure-water point, for the channels in use.
    void UpdateSigmas(const SigmaParams& params);
    // The s0 that makes sigma 1 at the pure-water point with absorption and scattering both in
    // it, whatever the parameters say; nothing is stored. Written to calibration files.
    double OldSigmaK1(int chan) const;
    // UpdateMuGains, UpdateOpticalEstimates, UpdateSigmas: after every load.
    void CheckAndUpdateAll(const SigmaParams& params, const SigmaTables& tables,
                           Prompter& prompter);
    // Any dark, nominal or fluorescence offset of gain settings 1-5 is not 0.
    bool HasOffsets() const;

    // --- Calibration files (CalFile.cpp).
    // One line of a calibration file; `section` is kept by the caller between lines. True when
    // the line set a calibration value (anything but the identification keys).
    bool ParseLineIntoCalClass(std::string_view line, std::string& section);
    // The bytes SaveCopyToFile writes.
    std::string CalFileText() const;
    // Writes the calibration to a file (under the name + ".tmp" until complete) and remembers
    // the file as the saved copy. False, with errno telling why, when the file could not be
    // written; the file is then as it was.
    bool SaveCopyToFile(const std::string& calFile);
    // SaveCopyToFile, then the file becomes SourceFile (the caller makes it the program's
    // current calibration file).
    bool SaveAsFile(const std::string& calFile);

  private:
    static size_t Slot(int chan) {
        if (chan < 0 || chan >= kCalChannelSlots) throw std::out_of_range("calibration channel");
        return static_cast<size_t>(chan);
    }
    static size_t Within(int i, int count) {
        if (i < 0 || i >= count) throw std::out_of_range("calibration coefficient index");
        return static_cast<size_t>(i);
    }
    static size_t GainSlot(int g) { return Within(g - 1, 5); }
    static size_t OffsetSlot(int gainSetting) { return Within(gainSetting, 6); }
    static size_t PressureSlot(int i) { return Within(i - 1, 2); }

    FileRead ReadCalFile(const std::string& path, const SigmaParams& params,
                         const SigmaTables& tables, Prompter& prompter);
    // Clears everything a file sets, before it is read.
    void StartReading();
    FileRead ReadCalLines(CalLineReader&& lines, const SigmaParams& params,
                          const SigmaTables& tables, Prompter& prompter);
    void UpdateChannelMap();
    void ApplyDefaultChannelMap();
    void NameAttenuationChannels();
    void RecomputeTempNorms();
    void RecomputeKTNorm(AttenuationCalibration& k);
    void RecomputeKTauPNorm(AttenuationCalibration& k);
    void EstimateOptics(const SigmaParams& params, const SigmaTables& tables, Prompter& prompter);
    double PureWaterSigma0(int chan, bool includePurewater) const;

    ChannelCalibration channels_[kCalChannelSlots];
    AttenuationCalibration attenuation_[kCalChannelSlots];
    std::string sourceFile_;
    std::string savedCopy_;
    // The sigma parameters the optical estimates were last made with, so that a new wavelength
    // gets its estimates at once.
    struct OpticalInputs {
        SigmaParams params;
        SigmaTables tables;
    };
    std::shared_ptr<const OpticalInputs> opticalInputs_;
};

// The words of CalChange bits in their fixed order, joined by ", " ("mu, gain" for 5); bits
// without a word are left out.
std::string ChangeWords(int32_t bits);

// Loads a calibration file for work with it (recording, converting, showing): "" when it holds a
// calibration of one of the seven models, else why it cannot serve ("no such file", "the file
// could not be read", "a binary calibration image of ...", "unknown instrument type", "not a
// calibration file (no calibration values in it)"). Messages of the reading go to `prompter`.
std::string LoadUsableCalibration(const std::string& path, const SigmaParams& params,
                                  const SigmaTables& tables, Prompter& prompter,
                                  CalibrationDataClass& calibration);

// "The calibration file " + path + " cannot be used: " + why + ".", the message for a file that
// LoadUsableCalibration refused.
std::string UnusableCalibrationText(const std::string& path, const std::string& why);

}  // namespace tidewell
