#include "app/widgets/OutlineBox.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>

#include "app/dialogs/DialogControls.h"
#include "app/dialogs/DialogFields.h"
#include "app/dialogs/DialogIds.h"
#include "app/widgets/ColourSwatch.h"
#include "batch/options/ReadableMarkOptions.h"
#include "platform/qt/Choosers.h"

namespace stampora {

OutlineBox::OutlineBox(QWidget* parent)
    : QGroupBox(parent),
      outlineSwitch(Named(new QCheckBox(QStringLiteral("Outline"), this), TextDialogId::kOutlineSwitch)),
      widthEdit(NumberEdit(TextDialogId::kOutlineWidth, 48, this)),
      colourSwatch(new ColourSwatch(TextDialogId::kOutlineColour, this)) {
    widthEdit->setToolTip(QStringLiteral("Pixels, or a percentage of the text size: 5%"));
    auto* grid = new QGridLayout(this);
    grid->addWidget(outlineSwitch, 0, 0, 1, 2);
    grid->addWidget(new QLabel(QStringLiteral("Width"), this), 1, 0);
    grid->addWidget(FieldWith(widthEdit, new QLabel(QStringLiteral("px or %"), this), this), 1, 1);
    grid->addWidget(new QLabel(QStringLiteral("Color"), this), 2, 0);
    grid->addWidget(colourSwatch, 2, 1);
    grid->setColumnStretch(1, 1);
    connect(outlineSwitch, &QCheckBox::toggled, this, &OutlineBox::Enable);
    connect(outlineSwitch, &QCheckBox::clicked, this, &OutlineBox::Changed);
    connect(widthEdit, &QLineEdit::textEdited, this, &OutlineBox::Changed);
    connect(colourSwatch, &ColourSwatch::Clicked, this, [this] {
        if (!outlineSwitch->isChecked()) return;
        const std::optional<QColor> chosen = CurrentChoosers().ChooseColour(this, Qt::black);
        if (!chosen) return;
        colour = RgbColour{static_cast<uint8_t>(chosen->red()), static_cast<uint8_t>(chosen->green()),
                           static_cast<uint8_t>(chosen->blue())};
        colourSwatch->SetColour(colour);
        emit Changed();
    });
}

void OutlineBox::Show(const TextWatermark& mark) {
    colour = mark.outlineColour;
    colourSwatch->SetColour(colour);
    widthEdit->setText(LengthText(mark.outlineWidth));
    outlineSwitch->setChecked(mark.outlineEnabled);
    Enable(mark.outlineEnabled);
}

bool OutlineBox::Take(TextWatermark& mark, std::string& refusal) const {
    mark.outlineEnabled = outlineSwitch->isChecked();
    mark.outlineColour = colour;
    if (!mark.outlineEnabled) return true;
    Status status;
    const std::optional<RelativeLength> width = ParseLengthField(widthEdit->text(), 1, status);
    if (!width || width->value > (width->percent ? kWidestOutlinePercent : kWidestOutline)) {
        refusal = kOutlineRefusedText;
        return false;
    }
    mark.outlineWidth = *width;
    return true;
}

void OutlineBox::Enable(bool on) {
    widthEdit->setEnabled(on);
    colourSwatch->setEnabled(on);
}

}  // namespace stampora
