#include "app/dialogs/ImageWatermarkDialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QEvent>
#include <QFocusEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QTimer>
#include <QVBoxLayout>
#include <cmath>
#include <limits>

#include "app/PictureFileFilters.h"
#include "app/dialogs/DialogControls.h"
#include "app/dialogs/DialogIds.h"
#include "app/widgets/ArrowPair.h"
#include "app/widgets/PicturePreview.h"
#include "codecs/PictureFiles.h"
#include "platform/MessageSink.h"
#include "platform/Status.h"
#include "platform/qt/Choosers.h"
#include "watermark/WatermarkMessages.h"

namespace stampora {

namespace {

constexpr int kNumberWidth = 56;
// How long the controls stay still before the canvas shows the mark again.
constexpr int kPreviewDelayMs = 100;

// `length` scaled by `to` / `from`, computed in double precision and cut
// toward zero, kept within what the size fields can hold.
int32_t ProportionalLength(int32_t length, int32_t from, int32_t to) {
    const double scaled = std::trunc(static_cast<double>(length) / from * to);
    if (scaled >= std::numeric_limits<int32_t>::max()) return std::numeric_limits<int32_t>::max();
    if (scaled <= std::numeric_limits<int32_t>::min()) return std::numeric_limits<int32_t>::min();
    return static_cast<int32_t>(scaled);
}

}  // namespace

ImageWatermarkDialog::ImageWatermarkDialog(QWidget* parent)
    : QDialog(parent),
      preview(new PicturePreview(ImageDialogId::kPreview, this)),
      bestSize(new QRadioButton(QStringLiteral("Best Size"), this)),
      realSize(new QRadioButton(QStringLiteral("Real Size"), this)),
      lockBox(new QCheckBox(QStringLiteral("Lock Aspect Ratio"), this)),
      widthEdit(NumberEdit(ImageDialogId::kWidth, kNumberWidth, this)),
      heightEdit(NumberEdit(ImageDialogId::kHeight, kNumberWidth, this)),
      opacityEdit(NumberEdit(ImageDialogId::kOpacity, kNumberWidth, this)),
      rotationEdit(NumberEdit(ImageDialogId::kRotation, kNumberWidth, this)),
      opacityArrows(new ArrowPair(ImageDialogId::kOpacityArrows, this)),
      rotationArrows(new ArrowPair(ImageDialogId::kRotationArrows, this)),
      relativeSwitch(new QCheckBox(QStringLiteral("Size by Picture"), this)),
      percentEdit(NumberEdit(ImageDialogId::kRelativePercent, kNumberWidth, this)),
      sideBox(Named(new QComboBox(this), ImageDialogId::kRelativeSide)),
      previewTimer(new QTimer(this)) {
    setWindowTitle(QStringLiteral("Image Watermark"));
    Named(bestSize, ImageDialogId::kBestSize);
    Named(realSize, ImageDialogId::kRealSize);
    Named(lockBox, ImageDialogId::kLockAspectRatio);
    Named(relativeSwitch, ImageDialogId::kRelativeSwitch);
    // In the order of FitSide's Width and Height.
    sideBox->addItems({QStringLiteral("of the picture's width"), QStringLiteral("of the picture's height")});
    relativeSwitch->setToolTip(QStringLiteral("The same share of every picture the mark is put on"));

    auto* hint = new QLabel(QString::fromLatin1(kClickToChooseText), this);
    hint->setAlignment(Qt::AlignHCenter);

    auto* sizeRow = new QHBoxLayout;
    sizeRow->addWidget(new QLabel(QStringLiteral("Image Size"), this));
    sizeRow->addWidget(bestSize);
    sizeRow->addWidget(realSize);
    sizeRow->addStretch();
    sizeRow->addWidget(lockBox);

    auto* grid = new QGridLayout;
    grid->addWidget(new QLabel(QStringLiteral("Width"), this), 0, 0);
    grid->addWidget(FieldWith(widthEdit, new QLabel(QStringLiteral("px"), this), this), 0, 1);
    grid->addWidget(new QLabel(QStringLiteral("Height"), this), 0, 2);
    grid->addWidget(FieldWith(heightEdit, new QLabel(QStringLiteral("px"), this), this), 0, 3);
    grid->addWidget(new QLabel(QStringLiteral("Opacity"), this), 1, 0);
    grid->addWidget(FieldWith(opacityEdit, opacityArrows, this), 1, 1);
    grid->addWidget(new QLabel(QStringLiteral("Rotation"), this), 1, 2);
    grid->addWidget(FieldWith(rotationEdit, rotationArrows, this), 1, 3);
    grid->setColumnStretch(1, 1);
    grid->setColumnStretch(3, 1);

    auto* relativeRow = new QHBoxLayout;
    relativeRow->addWidget(relativeSwitch);
    relativeRow->addWidget(FieldWith(percentEdit, new QLabel(QStringLiteral("%"), this), this));
    relativeRow->addWidget(sideBox);
    relativeRow->addStretch();

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(preview, 1);
    layout->addWidget(hint);
    layout->addLayout(sizeRow);
    layout->addLayout(grid);
    layout->addLayout(relativeRow);
    layout->addWidget(OkCancelButtons(*this));

    connect(preview, &PicturePreview::Clicked, this, &ImageWatermarkDialog::ChoosePicture);
    connect(bestSize, &QRadioButton::clicked, this, &ImageWatermarkDialog::UseBestSize);
    connect(realSize, &QRadioButton::clicked, this, &ImageWatermarkDialog::UseRealSize);
    connect(lockBox, &QCheckBox::clicked, this, [this] { ReadFields(); });
    connect(relativeSwitch, &QCheckBox::toggled, this, [this] { ApplyEnableState(); });
    connect(opacityArrows, &ArrowPair::Stepped, this, [this](ArrowStep s) { Step(mark.base.opacity, s); });
    connect(rotationArrows, &ArrowPair::Stepped, this, [this](ArrowStep s) { Step(mark.base.rotation, s); });
    widthEdit->installEventFilter(this);
    heightEdit->installEventFilter(this);

    // Every change the user makes shows on the canvas a moment later.
    previewTimer->setSingleShot(true);
    previewTimer->setInterval(kPreviewDelayMs);
    connect(previewTimer, &QTimer::timeout, this, &ImageWatermarkDialog::ShowPreview);
    for (QLineEdit* edit : {widthEdit, heightEdit, opacityEdit, rotationEdit, percentEdit}) {
        connect(edit, &QLineEdit::textEdited, this, [this, edit] {
            if (edit == widthEdit || edit == heightEdit) lastTypedSide = edit;
            SchedulePreview();
        });
    }
    connect(relativeSwitch, &QCheckBox::clicked, this, &ImageWatermarkDialog::SchedulePreview);
    connect(sideBox, &QComboBox::activated, this, &ImageWatermarkDialog::SchedulePreview);
}

void ImageWatermarkDialog::showEvent(QShowEvent* event) {
    if (!opened) {
        opened = true;
        Open();
    }
    QDialog::showEvent(event);
}

void ImageWatermarkDialog::Open() {
    lockAspectRatio = true;
    ShowFit();
    ApplyEnableState();
    ShowFields();
    preview->SetPicture(mark.source);
    live = true;
}

bool ImageWatermarkDialog::ReadFields() {
    if (!ReadNumberField(*heightEdit, mark.base.height)) return false;
    if (!ReadNumberField(*widthEdit, mark.base.width)) return false;
    if (!ReadNumberField(*opacityEdit, mark.base.opacity)) return false;
    if (!ReadNumberField(*rotationEdit, mark.base.rotation)) return false;
    lockAspectRatio = lockBox->isChecked();
    return true;
}

void ImageWatermarkDialog::ShowFields() {
    ShowNumberField(*heightEdit, mark.base.height);
    ShowNumberField(*widthEdit, mark.base.width);
    ShowNumberField(*opacityEdit, mark.base.opacity);
    ShowNumberField(*rotationEdit, mark.base.rotation);
    lockBox->setChecked(lockAspectRatio);
}

void ImageWatermarkDialog::ApplyEnableState() {
    const bool on = mark.base.enabled;
    for (QLineEdit* edit : {widthEdit, heightEdit, opacityEdit}) edit->setReadOnly(!on);
    for (QWidget* control : std::initializer_list<QWidget*>{lockBox, bestSize, realSize, rotationEdit,
                                                            opacityArrows, rotationArrows, relativeSwitch}) {
        control->setEnabled(on);
    }
    // A size by the picture stands in for the size in pixels.
    const bool relative = on && relativeSwitch->isChecked();
    for (QWidget* control :
         std::initializer_list<QWidget*>{widthEdit, heightEdit, lockBox, bestSize, realSize})
        control->setEnabled(on && !relative);
    percentEdit->setEnabled(relative);
    sideBox->setEnabled(relative);
}

void ImageWatermarkDialog::ShowFit() {
    relativeSwitch->setChecked(fit.SizeFollowsPicture());
    percentEdit->setText(fit.SizeFollowsPicture() ? QString::number(fit.sizePercent, 'g', 6)
                                                  : QStringLiteral("20"));
    sideBox->setCurrentIndex(fit.side == FitSide::Height ? 1 : 0);
}

bool ImageWatermarkDialog::FitFromControls(bool enabled, MarkFit& intoFit, Status* status) const {
    if (!relativeSwitch->isChecked() || !enabled) {
        intoFit.sizePercent = 0.0;
        return true;
    }
    // The share, as the batch tool's --image-size takes "20%" or "x20%".
    Status quiet;
    const std::optional<RelativeLength> share =
        ParseLengthField(percentEdit->text().trimmed() + QStringLiteral("%"), 1, status ? *status : quiet);
    if (!share) return false;
    intoFit.sizePercent = share->value;
    intoFit.side = sideBox->currentIndex() == 1 ? FitSide::Height : FitSide::Width;
    return true;
}

bool ImageWatermarkDialog::TakeFit() {
    Status status;
    if (FitFromControls(mark.base.enabled, fit, &status)) return true;
    ShowMessage("The size by picture must be a percentage from 0.1 to 100: " + status.Error() + ".",
                kErrorCaption, MessageIcon::Error);
    percentEdit->setFocus(Qt::OtherFocusReason);
    return false;
}

void ImageWatermarkDialog::ChoosePicture() {
    const std::optional<QString> path = CurrentChoosers().ChooseOpenFile(
        this, QStringLiteral("Choose an image"), QString(), PictureFileFilters());
    if (!path || path->isEmpty()) return;

    // Loaded aside, so that a failed load leaves the earlier picture (and the
    // preview of it) as it was.
    CRasterImage loaded;
    Status status;
    if (loaded.Load(Utf8FromQString(*path), nullptr, &status) && loaded.Width() > 0) {
        mark.source.Swap(loaded);
        mark.file = Utf8FromQString(*path);
        mark.base.width = mark.base.markWidth = mark.source.Width();
        mark.base.height = mark.base.markHeight = mark.source.Height();
        mark.base.enabled = true;
        preview->SetPicture(mark.source);
        ShowFields();
        lastTypedSide = nullptr;
    } else {
        mark.base.enabled = false;
        mark.base.width = mark.base.height = mark.base.markWidth = mark.base.markHeight = 0;
        ShowFields();
        std::string text = kCantLoadImageText;
        if (!status.Error().empty()) text += "\n" + status.Error();
        ShowMessage(text, kErrorCaption, MessageIcon::Error);
    }
    ApplyEnableState();
    SchedulePreview();
}

void ImageWatermarkDialog::UseBestSize() {
    mark.base.width = mark.source.Width() / 10;
    mark.base.height = mark.source.Height() / 10;
    ShowFields();
    SchedulePreview();
}

void ImageWatermarkDialog::UseRealSize() {
    mark.base.width = mark.source.Width();
    mark.base.height = mark.source.Height();
    ShowFields();
    SchedulePreview();
}

void ImageWatermarkDialog::WidthLeft() {
    if (!ReadFields()) return;
    if (WarnIfWidthExceedsPicture(mark.base, mark.base.width)) return;
    if (!mark.base.enabled || !lockAspectRatio || mark.source.Width() <= 0) return;
    const int32_t height = ProportionalLength(mark.base.width, mark.source.Width(), mark.source.Height());
    if (height != mark.base.height) {
        mark.base.height = height;
        ShowNumberField(*heightEdit, height);
    }
}

void ImageWatermarkDialog::HeightLeft() {
    if (!ReadFields() || !mark.base.enabled) return;
    if (WarnIfHeightExceedsPicture(mark.base, mark.base.height)) return;
    if (!lockAspectRatio || mark.source.Height() <= 0) return;
    const int32_t width = ProportionalLength(mark.base.height, mark.source.Height(), mark.source.Width());
    if (width != mark.base.width) {
        mark.base.width = width;
        ShowNumberField(*widthEdit, width);
    }
}

bool ImageWatermarkDialog::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::FocusOut && !checkingSize &&
        (watched == widthEdit || watched == heightEdit)) {
        // Leaving for another window or a context menu is not leaving the
        // field.
        const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
        if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason) {
            checkingSize = true;
            if (watched == widthEdit) {
                WidthLeft();
            } else {
                HeightLeft();
            }
            checkingSize = false;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void ImageWatermarkDialog::ReadTypedNumbers(ImageWatermark& into) const {
    ParseDialogNumber(heightEdit->text(), into.base.height);
    ParseDialogNumber(widthEdit->text(), into.base.width);
    ParseDialogNumber(opacityEdit->text(), into.base.opacity);
    ParseDialogNumber(rotationEdit->text(), into.base.rotation);
}

void ImageWatermarkDialog::Step(int32_t& value, ArrowStep step) {
    // Numbers typed and not yet read count, as in the text dialog.
    ReadTypedNumbers(mark);
    StepStoredValue(value, step);
    ShowFields();
    SchedulePreview();
}

void ImageWatermarkDialog::SchedulePreview() {
    if (live) previewTimer->start();
}

void ImageWatermarkDialog::ShowPreview() {
    ImageWatermark shown = mark;
    MarkFit shownFit = fit;
    ReadTypedNumbers(shown);
    // A locked size follows the side typed last, as it will when the field
    // is left.
    const int32_t sourceWidth = shown.source.Width();
    const int32_t sourceHeight = shown.source.Height();
    if (lockBox->isChecked() && sourceWidth > 0 && sourceHeight > 0) {
        if (lastTypedSide == widthEdit && shown.base.width != mark.base.width)
            shown.base.height = ProportionalLength(shown.base.width, sourceWidth, sourceHeight);
        if (lastTypedSide == heightEdit && shown.base.height != mark.base.height)
            shown.base.width = ProportionalLength(shown.base.height, sourceHeight, sourceWidth);
    }
    if (!FitFromControls(shown.base.enabled, shownFit)) return;
    emit Previewed(shown, shownFit);
}

void ImageWatermarkDialog::accept() {
    // A number that does not parse is signalled, yet the dialog closes with
    // the values read before it.
    ReadFields();
    if (!TakeFit()) return;
    mark.PrepareImageLayer();
    previewTimer->stop();
    QDialog::accept();
}

}  // namespace stampora
