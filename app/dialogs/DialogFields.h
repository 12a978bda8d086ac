#pragma once
// Moving values between a dialog's controls and its members: numbers read
// from edits (a text that is no number stops the reading with a beep and the
// focus on that edit), the arrows' step rule, and the wide and narrow texts.
#include <QString>
#include <cstdint>
#include <optional>
#include <string>

#include "watermark/RelativeLength.h"

class QLineEdit;

namespace stampora {

// A signed decimal integer that fits 32 bits, blanks around it allowed;
// nothing else (no trailing letters, no empty text).
bool ParseDialogNumber(const QString& text, int32_t& value);

// Reads the edit's number into `value`. On failure `value` is left alone,
// the platform beeps and the focus moves to the edit with its text selected.
bool ReadNumberField(QLineEdit& edit, int32_t& value);
void ShowNumberField(QLineEdit& edit, int32_t value);

// A length field: pixels, or a percentage of the picture's side ("2%"), as
// the batch tool's options take it (at least `smallest` pixels). On a
// refusal answers nothing, with the reason in `status`.
std::optional<RelativeLength> ParseLengthField(const QString& text, int32_t smallest, Status& status);
QString LengthText(const RelativeLength& length);

// The arrows of a numeric field move its stored value one step, within 0 to
// 100: up only while below 100, down only while above 0. A value typed
// outside that range stays until an arrow moves it toward the range.
enum class ArrowStep { Up, Down };
void StepStoredValue(int32_t& value, ArrowStep step);

// Conversions that give back exactly what they were given (lone surrogates
// included), so no character a user typed is replaced.
std::u16string WideFromQString(const QString& text);
QString QStringFromWide(const std::u16string& text);
std::string Utf8FromQString(const QString& text);
QString QStringFromUtf8(const std::string& text);

}  // namespace stampora
