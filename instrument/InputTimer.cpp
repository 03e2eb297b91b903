#include "instrument/InputTimer.h"

#include <QAbstractEventDispatcher>
#include <QThread>

#include <algorithm>
#include <chrono>
#include <cmath>

#include "files/Recording.h"
#include "instrument/ProgramState.h"
#include "instrument/SerialInputLoop.h"
#include "stream/LinkState.h"

namespace tidewell {

namespace {

constexpr double kMillisecondsPerDay = 86400.0 * 1000.0;

}  // namespace

InputTimer::InputTimer(ProgramState& program, int slot) : program_(program), slot_(slot) {
    timer_.setInterval(kInputTimerMilliseconds);
    QObject::connect(&timer_, &QTimer::timeout, [this] { Tick(); });
}

void InputTimer::Tick() {
    const auto begin = std::chrono::steady_clock::now();
    ProcessSerialInputTimer_Timer(program_, slot_);
    const std::chrono::duration<double> took = std::chrono::steady_clock::now() - begin;
    program_.longestTickSeconds = std::max(program_.longestTickSeconds, took.count());
}

void InputTimer::Start() {
    timer_.setSingleShot(false);
    timer_.start(kInputTimerMilliseconds);
}

void InputTimer::StartOnDemand(std::function<bool()> busy) {
    onDemand_ = true;
    busy_ = std::move(busy);
    timer_.setSingleShot(true);
    InstrumentRecord& r = program_.Slot(slot_);
    if (r.port) r.port->SetInputHandler([this] { TickWithin(0); });
    QAbstractEventDispatcher* dispatcher =
        QAbstractEventDispatcher::instance(QThread::currentThread());
    if (dispatcher != nullptr) {
        aboutToBlock_ = QObject::connect(dispatcher, &QAbstractEventDispatcher::aboutToBlock,
                                         [this] { PlanNextTick(); });
    }
    TickWithin(0);
}

void InputTimer::Stop() {
    timer_.stop();
    if (!onDemand_) return;
    onDemand_ = false;
    QObject::disconnect(aboutToBlock_);
    InstrumentRecord& r = program_.Slot(slot_);
    if (r.port) r.port->SetInputHandler({});
}

void InputTimer::TickWithin(int milliseconds) {
    // an earlier tick already planned stays
    if (timer_.isActive() && timer_.remainingTime() <= milliseconds) return;
    timer_.start(milliseconds);
}

void InputTimer::PlanNextTick() {
    if (!onDemand_) return;
    const InstrumentRecord& r = program_.Slot(slot_);
    const DataFileState& files = r.recording.files;
    // a line that is no sample ends a tick's conversion: the lines after it wait for the next
    const bool converting = r.dataQueue.size() > 0 && files.shownRawFile.empty() &&
                            files.shownDatFile.empty() && (r.downloading || r.calibrationLoaded);
    const bool underWay =
        (r.PortOpen() && !r.outputQueue.empty()) || r.receiving || converting || (busy_ && busy_());
    if (underWay) {
        TickWithin(kInputTimerMilliseconds);
        return;
    }
    // the time-driven rules: the silence rule while connected, and the flush of recorded data
    double due =
        r.PortOpen() ? NoDataRuleDue(r.link, r.lastReceiveTime, r.lastSendComplete) : INFINITY;
    if ((files.rawFile.IsOpen() || files.datFile.IsOpen()) && r.lastReceiveTime >= files.flushedAt)
        due = std::min(due, files.flushedAt + kFlushSeconds / 86400.0);
    if (!std::isfinite(due)) return;
    // never sooner than a tick's time: a rule due now has been applied by the tick just run
    const double wait = std::max((due - program_.Now()) * kMillisecondsPerDay,
                                 static_cast<double>(kInputTimerMilliseconds));
    TickWithin(static_cast<int>(std::min(wait, 3600.0 * 1000.0)) + 1);
}

}  // namespace tidewell
