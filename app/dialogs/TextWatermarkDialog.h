#pragma once
// "Text Watermark": edits a working copy of a text watermark (its text, font,
// style, size, colour, opacity, rotation and shadow) and of how it fits each
// picture (a size relative to the picture's, its margin, tiling). The owner
// sets `mark` and `fit` before showing the dialog and takes them back only
// when the dialog ends with OK. While it is open, each change the user makes
// is offered as a preview.
#include <QDialog>

#include "app/dialogs/DialogFields.h"
#include "watermark/MarkFit.h"
#include "watermark/text/TextWatermark.h"

class QCheckBox;
class QComboBox;
class QLineEdit;
class QPlainTextEdit;
class QTimer;

namespace stampora {

class ArrowPair;
class ColourSwatch;
class OutlineBox;

class TextWatermarkDialog : public QDialog {
    Q_OBJECT
public:
    explicit TextWatermarkDialog(QWidget* parent = nullptr);

    TextWatermark mark;
    // How the mark fits each picture: its size relative to the picture's,
    // margin and tiling.
    MarkFit fit;

    // The entries of the size and style lists, in order.
    static const QStringList& SizeEntries();
    static const QStringList& StyleEntries();

public slots:
    void accept() override;

signals:
    // The mark as the controls hold it, a moment after the user changed one;
    // a text that is empty or cannot be filled in gives a mark that is not
    // enabled. Nothing is offered while the size or a layout field does not
    // read.
    void Previewed(const TextWatermark& mark, const MarkFit& fit);

protected:
    void showEvent(QShowEvent* event) override;

private:
    void Open();
    // Reads opacity, rotation, the shadow switch, shadow opacity, smooth and
    // distance in this order, stopping at the first number that does not
    // parse (which gets a beep and the focus).
    bool ReadFields();
    void ShowFields();
    void ApplyShadowState(bool on);
    void ShadowSwitchClicked();
    // Takes each numeric field that holds a number, without a word.
    void ReadTypedNumbers(TextWatermark& into) const;
    void Step(int32_t& value, ArrowStep step, bool shadowField);
    void ChooseColour(RgbColour& colour, ColourSwatch& swatch);
    // The font from the font, style and size boxes, and the fit's size;
    // false when the size is neither points nor a percentage.
    bool FontFromControls(TextWatermark& into, MarkFit& intoFit) const;
    // The margin and tiling; the field that does not read, with the reason
    // in `status`, or nullptr.
    QLineEdit* LayoutFromControls(MarkFit& intoFit, Status& status) const;
    // The mark as the controls hold it, read without a word; false while the
    // size or a layout field does not read.
    bool Tentative(TextWatermark& into, MarkFit& intoFit) const;
    void SchedulePreview();
    void ShowPreview();
    void ShowFit();
    // Tells why a control's value is refused and puts the focus there.
    void Refuse(QWidget& control, const std::string& message);

    bool opened = false;
    bool live = false;        // the controls show the mark: changes are the user's
    int32_t shadowCheck = 0;  // the switch's state as last read: 0 clear, 1 set

    QPlainTextEdit* textEdit;
    QComboBox* fontBox;
    QComboBox* styleBox;
    QComboBox* sizeBox;
    QLineEdit* opacityEdit;
    QLineEdit* rotationEdit;
    ArrowPair* opacityArrows;
    ArrowPair* rotationArrows;
    ColourSwatch* colourSwatch;
    QCheckBox* shadowSwitch;
    ColourSwatch* shadowColourSwatch;
    QLineEdit* shadowOpacityEdit;
    QLineEdit* distanceEdit;
    QLineEdit* smoothEdit;
    ArrowPair* shadowOpacityArrows;
    ArrowPair* distanceArrows;
    ArrowPair* smoothArrows;
    QLineEdit* marginEdit;
    QCheckBox* tileSwitch;
    QLineEdit* gapAcrossEdit;
    QLineEdit* gapDownEdit;
    QTimer* previewTimer;
    // Readable on every picture: white or black chosen per picture, an outline.
    QCheckBox* autoColourSwitch;
    OutlineBox* outlineBox;
};

// The texts the dialog shows, word for word.
inline constexpr char kCantLoadValueText[] = "Can't load value!";
inline constexpr char kTextMustNotBeNullText[] = "The text must not be null!";
inline constexpr char kTextSizeRefusedText[] =
    "The size must be 1 to 1000 points, or a percentage of the picture's shorter side such as 4%.";
inline constexpr char kPlaceholderHintText[] =
    "Filled in per picture: {name} {ext} {width} {height} {date} {year} {camera} {n}";

}  // namespace stampora
