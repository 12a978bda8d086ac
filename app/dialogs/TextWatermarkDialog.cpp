#include "app/dialogs/TextWatermarkDialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTimer>
#include <QVBoxLayout>

#include "app/dialogs/DialogControls.h"
#include "app/dialogs/DialogIds.h"
#include "app/widgets/ArrowPair.h"
#include "app/widgets/ColourSwatch.h"
#include "app/widgets/OutlineBox.h"
#include "platform/MessageSink.h"
#include "platform/qt/Choosers.h"
#include "text/FontCatalog.h"
#include "watermark/WatermarkMessages.h"
#include "watermark/text/MarkText.h"

namespace stampora {

namespace {

constexpr int kNumberWidth = 48;
// How long the controls stay still before the canvas shows the mark again.
constexpr int kPreviewDelayMs = 100;

QString StyleText(const FontSpec& font) {
    const bool bold = font.weight == kFontWeightBold;
    if (bold && font.italic) return QStringLiteral("Bold Italic");
    if (font.italic) return QStringLiteral("Italic");
    if (bold) return QStringLiteral("Bold");
    return QStringLiteral("Normal");
}

// Selects the entry equal to `text` (letter case aside, as the platform's
// exact lookup does); a text not in the list leaves no entry selected.
void SelectExactly(QComboBox& box, const QString& text) {
    box.setCurrentIndex(box.findText(text, Qt::MatchFixedString));
}

// The text size a mark is given when it is sized by the picture and was
// never given one in points.
constexpr int32_t kPointsWithoutSize = 24;

// The gap field's text: empty for a gap of the mark's own size.
QString GapText(const std::optional<RelativeLength>& gap) {
    return gap ? LengthText(*gap) : QString();
}

}  // namespace

const QStringList& TextWatermarkDialog::SizeEntries() {
    static const QStringList entries{"8",  "9",  "10", "11", "12", "14", "16", "18",
                                     "20", "22", "24", "26", "28", "36", "48", "72"};
    return entries;
}

const QStringList& TextWatermarkDialog::StyleEntries() {
    static const QStringList entries{"Normal", "Bold", "Italic", "Bold Italic"};
    return entries;
}

TextWatermarkDialog::TextWatermarkDialog(QWidget* parent)
    : QDialog(parent),
      textEdit(new QPlainTextEdit(this)),
      fontBox(Named(new QComboBox(this), TextDialogId::kFont)),
      styleBox(Named(new QComboBox(this), TextDialogId::kStyle)),
      sizeBox(Named(new QComboBox(this), TextDialogId::kSize)),
      opacityEdit(NumberEdit(TextDialogId::kOpacity, kNumberWidth, this)),
      rotationEdit(NumberEdit(TextDialogId::kRotation, kNumberWidth, this)),
      opacityArrows(new ArrowPair(TextDialogId::kOpacityArrows, this)),
      rotationArrows(new ArrowPair(TextDialogId::kRotationArrows, this)),
      colourSwatch(new ColourSwatch(TextDialogId::kColour, this)),
      shadowSwitch(new QCheckBox(QStringLiteral("Enable Shadow"), this)),
      shadowColourSwatch(new ColourSwatch(TextDialogId::kShadowColour, this)),
      shadowOpacityEdit(NumberEdit(TextDialogId::kShadowOpacity, kNumberWidth, this)),
      distanceEdit(NumberEdit(TextDialogId::kDistance, kNumberWidth, this)),
      smoothEdit(NumberEdit(TextDialogId::kSmooth, kNumberWidth, this)),
      shadowOpacityArrows(new ArrowPair(TextDialogId::kShadowOpacityArrows, this)),
      distanceArrows(new ArrowPair(TextDialogId::kDistanceArrows, this)),
      smoothArrows(new ArrowPair(TextDialogId::kSmoothArrows, this)),
      marginEdit(NumberEdit(TextDialogId::kMargin, kNumberWidth, this)),
      tileSwitch(new QCheckBox(QStringLiteral("Tile over the picture"), this)),
      gapAcrossEdit(NumberEdit(TextDialogId::kGapAcross, kNumberWidth, this)),
      gapDownEdit(NumberEdit(TextDialogId::kGapDown, kNumberWidth, this)),
      previewTimer(new QTimer(this)),
      autoColourSwitch(Named(new QCheckBox(QStringLiteral("Auto"), this), TextDialogId::kAutoColour)),
      outlineBox(new OutlineBox(this)) {
    setWindowTitle(QStringLiteral("Text Watermark"));
    Named(textEdit, TextDialogId::kText);
    textEdit->setTabChangesFocus(true);
    textEdit->setFixedHeight(textEdit->fontMetrics().lineSpacing() * 4 + 12);
    Named(shadowSwitch, TextDialogId::kShadowSwitch);
    Named(tileSwitch, TextDialogId::kTileSwitch);
    // Typed sizes go beyond the list: any number of points up to 1000, or a
    // percentage of the picture's shorter side.
    sizeBox->setEditable(true);
    sizeBox->setInsertPolicy(QComboBox::NoInsert);
    sizeBox->setToolTip(
        QStringLiteral("Points (1 to 1000), or a percentage of the picture's shorter side: 4%"));
    for (QLineEdit* gap : {gapAcrossEdit, gapDownEdit}) gap->setPlaceholderText(QStringLiteral("auto"));
    marginEdit->setToolTip(QStringLiteral("Pixels, or a percentage of the picture's shorter side: 2%"));
    fontBox->setMinimumWidth(220);
    textEdit->setMinimumWidth(340);
    // The lists are the same for every mark; which entries are selected is
    // decided when the dialog opens.
    sizeBox->addItems(SizeEntries());
    styleBox->addItems(StyleEntries());
    for (const std::string& family : InstalledFontFamilies()) fontBox->addItem(QStringFromUtf8(family));
    styleBox->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    sizeBox->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    fontBox->setMaxVisibleItems(20);

    auto* textRow = new QHBoxLayout;
    auto* textLabel = new QLabel(QStringLiteral("Text"), this);
    textLabel->setBuddy(textEdit);
    textRow->addWidget(textLabel, 0, Qt::AlignTop);
    textRow->addWidget(textEdit, 1);
    auto* hint = new QLabel(QString::fromLatin1(kPlaceholderHintText), this);
    hint->setEnabled(false);

    auto* fonts = new QGroupBox(QStringLiteral("Fonts"), this);
    auto* fontGrid = new QGridLayout(fonts);
    fontGrid->addWidget(new QLabel(QStringLiteral("Font"), fonts), 0, 0);
    fontGrid->addWidget(fontBox, 0, 1, 1, 3);
    fontGrid->addWidget(new QLabel(QStringLiteral("Style"), fonts), 1, 0);
    fontGrid->addWidget(styleBox, 1, 1);
    fontGrid->addWidget(new QLabel(QStringLiteral("Size"), fonts), 1, 2);
    fontGrid->addWidget(sizeBox, 1, 3);
    fontGrid->addWidget(new QLabel(QStringLiteral("Color"), fonts), 2, 0);
    autoColourSwitch->setToolTip(QStringLiteral("White or black on each picture, whichever reads better"));
    auto* colourRow = new QHBoxLayout;
    colourRow->addWidget(colourSwatch);
    colourRow->addWidget(autoColourSwitch);
    colourRow->addStretch(1);
    fontGrid->addLayout(colourRow, 2, 1);
    connect(autoColourSwitch, &QCheckBox::toggled, colourSwatch, &QWidget::setDisabled);
    fontGrid->addWidget(new QLabel(QStringLiteral("Opacity"), fonts), 3, 0);
    fontGrid->addWidget(FieldWith(opacityEdit, opacityArrows, fonts), 3, 1);
    fontGrid->addWidget(new QLabel(QStringLiteral("Rotation"), fonts), 3, 2);
    fontGrid->addWidget(FieldWith(rotationEdit, rotationArrows, fonts), 3, 3);
    fontGrid->setColumnStretch(1, 1);
    fontGrid->setColumnStretch(3, 1);

    auto* shadow = new QGroupBox(this);
    auto* shadowGrid = new QGridLayout(shadow);
    shadowGrid->addWidget(shadowSwitch, 0, 0, 1, 2);
    shadowGrid->addWidget(new QLabel(QStringLiteral("Color"), shadow), 1, 0);
    shadowGrid->addWidget(shadowColourSwatch, 1, 1);
    shadowGrid->addWidget(new QLabel(QStringLiteral("Opacity"), shadow), 1, 2);
    shadowGrid->addWidget(FieldWith(shadowOpacityEdit, shadowOpacityArrows, shadow), 1, 3);
    shadowGrid->addWidget(new QLabel(QStringLiteral("Distance"), shadow), 2, 0);
    shadowGrid->addWidget(FieldWith(distanceEdit, distanceArrows, shadow), 2, 1);
    shadowGrid->addWidget(new QLabel(QStringLiteral("Smooth"), shadow), 2, 2);
    shadowGrid->addWidget(FieldWith(smoothEdit, smoothArrows, shadow), 2, 3);
    shadowGrid->setColumnStretch(1, 1);
    shadowGrid->setColumnStretch(3, 1);

    auto* fitting = new QGroupBox(QStringLiteral("Fit to Picture"), this);
    auto* fitGrid = new QGridLayout(fitting);
    fitGrid->addWidget(new QLabel(QStringLiteral("Margin"), fitting), 0, 0);
    fitGrid->addWidget(FieldWith(marginEdit, new QLabel(QStringLiteral("px or %"), fitting), fitting), 0, 1);
    fitGrid->addWidget(tileSwitch, 0, 2, 1, 2);
    fitGrid->addWidget(new QLabel(QStringLiteral("Gap across"), fitting), 1, 0);
    fitGrid->addWidget(FieldWith(gapAcrossEdit, new QLabel(QStringLiteral("px or %"), fitting), fitting), 1,
                       1);
    fitGrid->addWidget(new QLabel(QStringLiteral("Gap down"), fitting), 1, 2);
    fitGrid->addWidget(FieldWith(gapDownEdit, new QLabel(QStringLiteral("px or %"), fitting), fitting), 1, 3);
    fitGrid->setColumnStretch(1, 1);
    fitGrid->setColumnStretch(3, 1);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(textRow);
    layout->addWidget(hint, 0, Qt::AlignRight);
    layout->addWidget(fonts);
    auto* lower = new QHBoxLayout;
    lower->addWidget(shadow);
    lower->addWidget(outlineBox);
    lower->addWidget(fitting);
    layout->addLayout(lower);
    layout->addWidget(OkCancelButtons(*this));
    layout->setSizeConstraint(QLayout::SetFixedSize);

    // Every change the user makes shows on the canvas a moment later.
    previewTimer->setSingleShot(true);
    previewTimer->setInterval(kPreviewDelayMs);
    connect(previewTimer, &QTimer::timeout, this, &TextWatermarkDialog::ShowPreview);
    connect(textEdit, &QPlainTextEdit::textChanged, this, &TextWatermarkDialog::SchedulePreview);
    for (QComboBox* box : {fontBox, styleBox, sizeBox})
        connect(box, &QComboBox::currentTextChanged, this, &TextWatermarkDialog::SchedulePreview);
    for (QLineEdit* edit : findChildren<QLineEdit*>())
        connect(edit, &QLineEdit::textEdited, this, &TextWatermarkDialog::SchedulePreview);
    connect(tileSwitch, &QCheckBox::clicked, this, &TextWatermarkDialog::SchedulePreview);
    connect(autoColourSwitch, &QCheckBox::clicked, this, &TextWatermarkDialog::SchedulePreview);
    connect(outlineBox, &OutlineBox::Changed, this, &TextWatermarkDialog::SchedulePreview);
    connect(shadowSwitch, &QCheckBox::clicked, this, &TextWatermarkDialog::ShadowSwitchClicked);
    connect(tileSwitch, &QCheckBox::toggled, this, [this](bool on) {
        for (QLineEdit* gap : {gapAcrossEdit, gapDownEdit}) gap->setEnabled(on);
    });
    connect(opacityArrows, &ArrowPair::Stepped, this,
            [this](ArrowStep s) { Step(mark.base.opacity, s, false); });
    connect(rotationArrows, &ArrowPair::Stepped, this,
            [this](ArrowStep s) { Step(mark.base.rotation, s, false); });
    connect(shadowOpacityArrows, &ArrowPair::Stepped, this,
            [this](ArrowStep s) { Step(mark.shadowOpacity, s, true); });
    connect(distanceArrows, &ArrowPair::Stepped, this,
            [this](ArrowStep s) { Step(mark.shadowDistance, s, true); });
    connect(smoothArrows, &ArrowPair::Stepped, this, [this](ArrowStep s) { Step(mark.smooth, s, true); });
    connect(colourSwatch, &ColourSwatch::Clicked, this, [this] { ChooseColour(mark.colour, *colourSwatch); });
    connect(shadowColourSwatch, &ColourSwatch::Clicked, this, [this] {
        if (mark.shadowEnabled) ChooseColour(mark.shadowColour, *shadowColourSwatch);
    });
}

void TextWatermarkDialog::showEvent(QShowEvent* event) {
    if (!opened) {
        opened = true;
        Open();
    }
    QDialog::showEvent(event);
}

void TextWatermarkDialog::Open() {
    ShowFields();
    sizeBox->setCurrentIndex(0);
    fontBox->setCurrentIndex(fontBox->count() > 0 ? 0 : -1);
    styleBox->setCurrentIndex(0);

    textEdit->setPlainText(QStringFromWide(mark.text));
    if (mark.font.height >= 1) {
        SelectExactly(*fontBox, QStringFromWide(mark.font.faceName));
        SelectExactly(*sizeBox, QString::number(mark.font.height));
        // A typed size that is not in the list is shown as typed.
        if (sizeBox->currentIndex() < 0) sizeBox->setEditText(QString::number(mark.font.height));
        SelectExactly(*styleBox, StyleText(mark.font));
    }
    if (fit.SizeFollowsPicture()) sizeBox->setEditText(LengthText({fit.sizePercent, true}));
    ShowFit();
    colourSwatch->SetColour(mark.colour);
    shadowColourSwatch->SetColour(mark.shadowColour);
    autoColourSwitch->setChecked(mark.autoColour);
    colourSwatch->setDisabled(mark.autoColour);
    outlineBox->Show(mark);
    shadowCheck = mark.shadowEnabled ? 1 : 0;
    ApplyShadowState(mark.shadowEnabled);
    ShowFields();
    textEdit->setFocus(Qt::OtherFocusReason);
    live = true;
}

bool TextWatermarkDialog::ReadFields() {
    if (!ReadNumberField(*opacityEdit, mark.base.opacity)) return false;
    if (!ReadNumberField(*rotationEdit, mark.base.rotation)) return false;
    shadowCheck = shadowSwitch->isChecked() ? 1 : 0;
    if (!ReadNumberField(*shadowOpacityEdit, mark.shadowOpacity)) return false;
    if (!ReadNumberField(*smoothEdit, mark.smooth)) return false;
    return ReadNumberField(*distanceEdit, mark.shadowDistance);
}

void TextWatermarkDialog::ShowFields() {
    ShowNumberField(*opacityEdit, mark.base.opacity);
    ShowNumberField(*rotationEdit, mark.base.rotation);
    shadowSwitch->setChecked(shadowCheck == 1);
    ShowNumberField(*shadowOpacityEdit, mark.shadowOpacity);
    ShowNumberField(*smoothEdit, mark.smooth);
    ShowNumberField(*distanceEdit, mark.shadowDistance);
}

void TextWatermarkDialog::ApplyShadowState(bool on) {
    for (QLineEdit* edit : {distanceEdit, shadowOpacityEdit, smoothEdit}) edit->setReadOnly(!on);
    for (ArrowPair* arrows : {distanceArrows, shadowOpacityArrows, smoothArrows}) arrows->setEnabled(on);
    ShowFields();
}

void TextWatermarkDialog::ShadowSwitchClicked() {
    if (!ReadFields()) {
        ShowMessage(kCantLoadValueText, kErrorCaption, MessageIcon::None);
        return;
    }
    mark.shadowEnabled = shadowCheck == 1;
    ApplyShadowState(mark.shadowEnabled);
    SchedulePreview();
}

void TextWatermarkDialog::ReadTypedNumbers(TextWatermark& into) const {
    ParseDialogNumber(opacityEdit->text(), into.base.opacity);
    ParseDialogNumber(rotationEdit->text(), into.base.rotation);
    ParseDialogNumber(shadowOpacityEdit->text(), into.shadowOpacity);
    ParseDialogNumber(smoothEdit->text(), into.smooth);
    ParseDialogNumber(distanceEdit->text(), into.shadowDistance);
}

void TextWatermarkDialog::Step(int32_t& value, ArrowStep step, bool shadowField) {
    if (shadowField && !mark.shadowEnabled) return;
    // Numbers typed and not yet read count: the arrow steps from what the
    // field shows, and the others keep theirs. A field that holds no number
    // shows its stored value again.
    ReadTypedNumbers(mark);
    StepStoredValue(value, step);
    ShowFields();
    SchedulePreview();
}

void TextWatermarkDialog::ChooseColour(RgbColour& colour, ColourSwatch& swatch) {
    // The chooser opens on black, not on the current colour, with the
    // process's custom colours.
    const std::optional<QColor> chosen = CurrentChoosers().ChooseColour(this, Qt::black);
    if (!chosen) return;
    colour = RgbColour{static_cast<uint8_t>(chosen->red()), static_cast<uint8_t>(chosen->green()),
                       static_cast<uint8_t>(chosen->blue())};
    swatch.SetColour(colour);
    SchedulePreview();
}

void TextWatermarkDialog::ShowFit() {
    marginEdit->setText(LengthText(fit.layout.margin));
    tileSwitch->setChecked(fit.layout.tile);
    gapAcrossEdit->setText(GapText(fit.layout.gapX));
    gapDownEdit->setText(GapText(fit.layout.gapY));
    for (QLineEdit* gap : {gapAcrossEdit, gapDownEdit}) gap->setEnabled(fit.layout.tile);
}

void TextWatermarkDialog::Refuse(QWidget& control, const std::string& message) {
    ShowMessage(message, kErrorCaption, MessageIcon::Error);
    control.setFocus(Qt::OtherFocusReason);
}

bool TextWatermarkDialog::FontFromControls(TextWatermark& into, MarkFit& intoFit) const {
    // The size, as the batch tool's --size takes it.
    Status status;
    const std::optional<RelativeLength> size = ParseLengthField(sizeBox->currentText(), 1, status);
    if (!size || (!size->percent && size->value > kLargestPointSize)) return false;
    FontSpec font;
    font.charSet = kDefaultCharSet;
    // The whole family name is kept: a shortened name would name no installed
    // family and the text would be drawn in another font.
    font.faceName = WideFromQString(fontBox->currentText());
    if (size->percent) {
        font.height = into.font.height >= 1 ? into.font.height : kPointsWithoutSize;
        intoFit.sizePercent = size->value;
    } else {
        font.height = static_cast<int32_t>(size->value);
        intoFit.sizePercent = 0.0;
    }
    intoFit.side = FitSide::Shorter;
    font.weight = kFontWeightNormal;
    const QString style = styleBox->currentText();
    if (style == QLatin1String("Bold Italic")) {
        font.italic = true;
        font.weight = kFontWeightBold;
    } else if (style == QLatin1String("Italic")) {
        font.italic = true;
    } else if (style == QLatin1String("Bold")) {
        font.weight = kFontWeightBold;
    }
    into.font = font;
    return true;
}

QLineEdit* TextWatermarkDialog::LayoutFromControls(MarkFit& intoFit, Status& status) const {
    // The margin and gaps, as the batch tool's --margin and --tile-gap take them.
    MarkLayout layout;
    const std::optional<RelativeLength> margin = ParseLengthField(marginEdit->text(), 0, status);
    if (!margin) {
        (void)status.Fail(Domain::Options,
                          "The margin must be pixels or a percentage such as 2%: " + status.Error() + ".");
        return marginEdit;
    }
    layout.margin = *margin;
    layout.tile = tileSwitch->isChecked();
    const std::pair<QLineEdit*, std::optional<RelativeLength>*> gaps[] = {{gapAcrossEdit, &layout.gapX},
                                                                          {gapDownEdit, &layout.gapY}};
    for (const auto& [edit, gap] : gaps) {
        if (edit->text().trimmed().isEmpty()) continue;  // the mark's own size
        *gap = ParseLengthField(edit->text(), 0, status);
        if (!*gap) {
            (void)status.Fail(
                Domain::Options,
                "The gap between tiles must be pixels or a percentage such as 5%: " + status.Error() + ".");
            return edit;
        }
    }
    intoFit.layout = layout;
    return nullptr;
}

bool TextWatermarkDialog::Tentative(TextWatermark& into, MarkFit& intoFit) const {
    into = mark;
    intoFit = fit;
    ReadTypedNumbers(into);
    Status status;
    if (!FontFromControls(into, intoFit) || LayoutFromControls(intoFit, status)) return false;
    into.text = WideFromQString(textEdit->toPlainText());
    std::string refusal;
    if (!outlineBox->Take(into, refusal)) return false;
    into.autoColour = autoColourSwitch->isChecked();
    // No text, or one that cannot be filled in, shows no mark.
    into.base.enabled = !into.text.empty() && CheckMarkText(Utf8FromQString(textEdit->toPlainText()), status);
    return true;
}

void TextWatermarkDialog::SchedulePreview() {
    if (live) previewTimer->start();
}

void TextWatermarkDialog::ShowPreview() {
    TextWatermark shown;
    MarkFit shownFit;
    if (Tentative(shown, shownFit)) emit Previewed(shown, shownFit);
}

void TextWatermarkDialog::accept() {
    if (!ReadFields()) return;
    mark.text = WideFromQString(textEdit->toPlainText());
    if (mark.text.empty()) {
        ShowMessage(kTextMustNotBeNullText, kErrorCaption, MessageIcon::Error);
        return;
    }
    Status status;
    if (!CheckMarkText(Utf8FromQString(textEdit->toPlainText()), status)) {
        Refuse(*textEdit, "The text cannot be filled in: " + status.Error() + ".");
        return;
    }
    if (!FontFromControls(mark, fit)) {
        Refuse(*sizeBox, kTextSizeRefusedText);
        return;
    }
    if (QLineEdit* refused = LayoutFromControls(fit, status)) {
        Refuse(*refused, status.Error());
        return;
    }
    std::string refusal;
    if (!outlineBox->Take(mark, refusal)) {
        Refuse(outlineBox->WidthEdit(), refusal);
        return;
    }
    mark.autoColour = autoColourSwitch->isChecked();
    mark.base.enabled = true;
    previewTimer->stop();
    QDialog::accept();
}

}  // namespace stampora
