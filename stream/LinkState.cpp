#include "stream/LinkState.h"

#include <limits>

#include "stream/NumberText.h"
#include "stream/TextHelpers.h"

namespace tidewell {

namespace {

constexpr double kSecond = 1.0 / 86400.0;

bool IsDecimalDataLine(std::string_view line) {
    return !line.empty() && IsDigitChar(line[0]) && CountCommas(line) >= 5;
}

}  // namespace

void ApplyLinePhrases(std::string_view line, bool downloading, LinkState& link) {
    if (!line.empty() && line[0] == '*') {
        link.state = downloading ? kLinkDownloading : kLinkSampling;
        return;
    }
    const std::string l = LowerCase(line);
    auto has = [&l](std::string_view phrase) { return l.find(phrase) != std::string::npos; };
    if (has("starting in") || has("starts in")) {
        link.state = kLinkStarting;
        link.countdown = RoundToInt16(LeadingNumber(l));
    } else if (has("sleeping")) {
        link.state = kLinkSleeping;
    } else if (has("stopped") || has("abort")) {
        link.state = kLinkStopped;
    } else if (has("woke") || has("ready")) {
        link.state = kLinkStopped;
    } else if (has("turning on")) {
        link.state = kLinkWaking;
    } else if (has("..done")) {
        link.state = kLinkStopped;
    } else if (has("opening shutter")) {
        link.state = kLinkOpenShutter;
    } else if (has("closing shutter")) {
        link.state = kLinkCloseShutter;
    } else if (IsDecimalDataLine(line)) {
        link.state = downloading ? kLinkDownloading : kLinkSampling;
    }
}

void ApplyPartialLinePhrases(std::string_view partial, LinkState& link) {
    if (ContainsNoCase(partial, "opening shutter")) {
        link.state = kLinkOpenShutter;
    } else if (ContainsNoCase(partial, "closing shutter")) {
        link.state = kLinkCloseShutter;
    } else if (ContainsNoCase(partial, "..done")) {
        link.state = kLinkStopped;
    }
}

bool IsInstrumentMessage(std::string_view line, std::string_view lastCommand) {
    if (line.empty() || line[0] != '!') return false;
    if (lastCommand == "CLEARLOGCOMMAND" && ContainsNoCase(line, "yes to erase")) return false;
    return !ContainsNoCase(line, "transfer complete");
}

std::string InstrumentMessageText(std::string_view serialNumber, std::string_view line) {
    std::string text(serialNumber);
    text += ": ";
    if (!line.empty()) text.append(line.substr(1));
    return text;
}

bool ApplyNoDataRule(LinkState& link, double now, double lastReceive, double lastSendComplete,
                     bool force) {
    if (link.previousState == kLinkStopPending && link.state == kLinkSampling) {
        // the stop request has not gone out long enough for data to have ceased
        if (now < lastSendComplete + 4 * kSecond) return false;
    } else if (link.previousState == kLinkStartPending &&
               (link.state == kLinkStartPending || link.state == kLinkStopped)) {
        if (now < lastReceive + 11 * kSecond) return false;
        link.state = kLinkNoData;
    } else if (link.state != kLinkSleeping && link.state != kLinkNoConnection &&
               now > lastReceive + 11 * kSecond) {
        link.state = kLinkNoData;
    }
    if (link.state != link.previousState || link.state == kLinkStarting || force) {
        link.previousState = link.state;
        return true;
    }
    return false;
}

double NoDataRuleDue(const LinkState& link, double lastReceive, double lastSendComplete) {
    if (link.previousState == kLinkStopPending && link.state == kLinkSampling) {
        return lastSendComplete + 4 * kSecond;
    }
    if (link.state == kLinkNoData || link.state == kLinkSleeping ||
        link.state == kLinkNoConnection) {
        return std::numeric_limits<double>::infinity();
    }
    return lastReceive + 11 * kSecond;
}

std::optional<std::string> LinkStatusText(int32_t state, int16_t countdown) {
    switch (state) {
        case kLinkUnknown:
            return "unknown";
        case kLinkNoConnection:
            return "No Connection";
        case kLinkStarting:
            return "Starting:" + PlainInt(countdown) + " s";
        case kLinkSampling:
            return "Sampling";
        case kLinkStopped:
            return "Stopped";
        case kLinkSleeping:
            return "Sleeping";
        case kLinkWaking:
            return "Waking";
        case kLinkDownloading:
            return "Downloading";
        case kLinkPending:
        case kLinkStopPending:
        case kLinkStartPending:
            return "Pending";
        case kLinkNoData:
            return "No Data";
        case kLinkOpenShutter:
            return "Open Shutter";
        case kLinkCloseShutter:
            return "Close Shutter";
        default:
            return std::nullopt;
    }
}

}  // namespace tidewell
