#include "app/dialogs/DialogFields.h"

#include <QApplication>
#include <QLineEdit>
#include <limits>

#include "platform/Utf8Text.h"

namespace stampora {

bool ParseDialogNumber(const QString& text, int32_t& value) {
    const QString trimmed = text.trimmed();
    qsizetype at = 0;
    bool negative = false;
    if (at < trimmed.size() && (trimmed[at] == u'-' || trimmed[at] == u'+')) {
        negative = trimmed[at] == u'-';
        ++at;
    }
    if (at == trimmed.size()) return false;
    int64_t magnitude = 0;
    for (; at < trimmed.size(); ++at) {
        const char16_t c = trimmed[at].unicode();
        if (c < u'0' || c > u'9') return false;
        magnitude = magnitude * 10 + (c - u'0');
        if (magnitude > int64_t{std::numeric_limits<int32_t>::max()} + 1) return false;
    }
    const int64_t signedValue = negative ? -magnitude : magnitude;
    if (signedValue > std::numeric_limits<int32_t>::max()) return false;
    value = static_cast<int32_t>(signedValue);
    return true;
}

bool ReadNumberField(QLineEdit& edit, int32_t& value) {
    if (ParseDialogNumber(edit.text(), value)) return true;
    QApplication::beep();
    edit.setFocus(Qt::OtherFocusReason);
    edit.selectAll();
    return false;
}

void ShowNumberField(QLineEdit& edit, int32_t value) {
    edit.setText(QString::number(value));
}

std::optional<RelativeLength> ParseLengthField(const QString& text, int32_t smallest, Status& status) {
    return ParseRelativeLength(Utf8FromQString(text.trimmed()), smallest, status);
}

QString LengthText(const RelativeLength& length) {
    return QString::number(length.value, 'g', 6) + (length.percent ? QStringLiteral("%") : QString());
}

void StepStoredValue(int32_t& value, ArrowStep step) {
    if (step == ArrowStep::Up && value < 100) ++value;
    if (step == ArrowStep::Down && value > 0) --value;
}

std::u16string WideFromQString(const QString& text) {
    return std::u16string(reinterpret_cast<const char16_t*>(text.utf16()), static_cast<size_t>(text.size()));
}

QString QStringFromWide(const std::u16string& text) {
    return QString(reinterpret_cast<const QChar*>(text.data()), static_cast<qsizetype>(text.size()));
}

std::string Utf8FromQString(const QString& text) {
    return Utf8FromUtf16(WideFromQString(text));
}

QString QStringFromUtf8(const std::string& text) {
    return QStringFromWide(Utf16FromUtf8(text));
}

}  // namespace stampora
