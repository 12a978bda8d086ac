#pragma once
// "Image Watermark": picks the picture to use as a watermark and sets its
// size (in pixels, or as a percentage of each picture's width or height),
// opacity and rotation on a working copy of an image watermark. The owner
// sets `mark` (and the target picture's size in mark.base) and `fit` before
// showing the dialog and takes them back only when the dialog ends with OK;
// on OK the dialog has prepared the mark's scaled layer. While it is open,
// each change the user makes is offered as a preview.
#include <QDialog>

#include "app/dialogs/DialogFields.h"
#include "watermark/ImageWatermark.h"
#include "watermark/MarkFit.h"

class QCheckBox;
class QComboBox;
class QLineEdit;
class QRadioButton;
class QTimer;

namespace stampora {

class ArrowPair;
class PicturePreview;

class ImageWatermarkDialog : public QDialog {
    Q_OBJECT
public:
    explicit ImageWatermarkDialog(QWidget* parent = nullptr);

    ImageWatermark mark;
    // How the mark fits each picture: its size relative to the picture's,
    // margin and tiling.
    MarkFit fit;

    bool AspectRatioLocked() const { return lockAspectRatio; }

public slots:
    void accept() override;

signals:
    // The mark as the controls hold it, a moment after the user changed one;
    // nothing is offered while the size by picture does not read.
    void Previewed(const ImageWatermark& mark, const MarkFit& fit);

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Open();
    // Reads height, width, opacity and rotation in this order, stopping at
    // the first number that does not parse; then, only if all four did, the
    // lock check box.
    bool ReadFields();
    void ShowFields();
    void ApplyEnableState();
    void ChoosePicture();
    void UseBestSize();
    void UseRealSize();
    void WidthLeft();
    void HeightLeft();
    // Takes each numeric field that holds a number, without a word.
    void ReadTypedNumbers(ImageWatermark& into) const;
    void Step(int32_t& value, ArrowStep step);
    void SchedulePreview();
    void ShowPreview();
    void ShowFit();
    // The size relative to each picture's, for a mark enabled or not; false,
    // with the reason in `status` when given, when the percentage does not
    // read.
    bool FitFromControls(bool enabled, MarkFit& intoFit, Status* status = nullptr) const;
    // The same into `fit`; false, told, when the percentage does not read.
    bool TakeFit();

    bool opened = false;
    bool live = false;  // the controls show the mark: changes are the user's
    bool lockAspectRatio = true;
    // Set while a focus-leaving check runs, so that the message box it may
    // open does not start the same check again.
    bool checkingSize = false;

    PicturePreview* preview;
    QRadioButton* bestSize;
    QRadioButton* realSize;
    QCheckBox* lockBox;
    QLineEdit* widthEdit;
    QLineEdit* heightEdit;
    QLineEdit* opacityEdit;
    QLineEdit* rotationEdit;
    ArrowPair* opacityArrows;
    ArrowPair* rotationArrows;
    QCheckBox* relativeSwitch;
    QLineEdit* percentEdit;
    QComboBox* sideBox;
    QLineEdit* lastTypedSide = nullptr;  // the size field typed in last, if any
    QTimer* previewTimer;
};

inline constexpr char kCantLoadImageText[] = "Can't load the image file!";
inline constexpr char kClickToChooseText[] = "Click here to choose an image";

}  // namespace stampora
