#pragma once
// Every field of a calibration that its instrument type uses, as rows of a table: the section
// the field belongs to, its name, its value as text, and how a new text is stored (through the
// calibration's setters, so that their side effects follow). The calibration window shows these
// rows, edits them and compares two calibrations row by row.

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "calibration/CalibrationData.h"
#include "stream/Prompter.h"

namespace tidewell {

struct CalField {
    std::string section;  // "General", "Channel 1", "Scattering", "Attenuation", ...
    std::string name;     // "Gain 2", "Mu", ...
    // The Changed bit an edit of the field sets; 0 for a value the program derives.
    int32_t group = 0;
    std::function<std::string(const CalibrationDataClass&)> text;
    // Stores a new value given as text; false (nothing stored) when the text is no value of the
    // field. Empty for the derived values, which cannot be edited.
    std::function<bool(CalibrationDataClass&, const std::string&, Prompter&)> store;
};

// The rows of a calibration of the type, in the order of its calibration file, derived values
// beside the fields they come from.
std::vector<CalField> CalibrationFields(int deviceType);

// Stores `text` into the field; when the field's value changed, its group is marked in Changed.
// False (nothing stored, nothing marked) when the text is no value of the field.
bool EditCalField(CalibrationDataClass& cal, const CalField& field, const std::string& text,
                  Prompter& prompter);

}  // namespace tidewell
