#pragma once
// The text dialog's outline: a switch, the width in pixels or as a
// percentage of the text size (as --outline takes it) and the colour.
#include <QGroupBox>

#include "watermark/text/TextWatermark.h"

class QCheckBox;
class QLineEdit;

namespace stampora {

class ColourSwatch;

class OutlineBox : public QGroupBox {
    Q_OBJECT
public:
    explicit OutlineBox(QWidget* parent);

    void Show(const TextWatermark& mark);
    // The outline into the mark; false, with the message to show, when the
    // width is neither pixels nor a percentage in range.
    bool Take(TextWatermark& mark, std::string& refusal) const;
    QLineEdit& WidthEdit() const { return *widthEdit; }

signals:
    // The user switched, typed or picked something.
    void Changed();

private:
    void Enable(bool on);

    QCheckBox* outlineSwitch;
    QLineEdit* widthEdit;
    ColourSwatch* colourSwatch;
    RgbColour colour;
};

inline constexpr char kOutlineRefusedText[] =
    "The outline must be 1 to 1000 pixels, or 0.1% to 50% of the text size such as 5%.";

}  // namespace stampora
