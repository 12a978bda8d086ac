#include "app/dialogs/OutputOptionsBox.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QRadioButton>
#include <QSpinBox>

#include "app/dialogs/DialogControls.h"

namespace stampora {

namespace {

// The quality a fixed choice starts from when none was chosen yet.
constexpr int kSuggestedQuality = 90;

QHBoxLayout* Row(std::initializer_list<QWidget*> widgets) {
    auto* row = new QHBoxLayout;
    for (QWidget* widget : widgets) row->addWidget(widget);
    row->addStretch();
    return row;
}

}  // namespace

OutputOptionsBox::OutputOptionsBox(const QString& title, const QString& sourceLabel, QWidget* parent)
    : QGroupBox(title, parent),
      defaultQuality(Named(new QRadioButton(QStringLiteral("Default"), this), "qualityDefault")),
      sourceQuality(Named(new QRadioButton(sourceLabel, this), "qualitySource")),
      chosenQuality(Named(new QRadioButton(QStringLiteral("Quality"), this), "qualityChosen")),
      quality(Named(new QSpinBox(this), "quality")),
      keepMetadata(Named(new QRadioButton(QStringLiteral("Keep"), this), "metadataKeep")),
      stripGps(Named(new QRadioButton(QStringLiteral("Strip GPS"), this), "metadataStripGps")),
      stripAll(Named(new QRadioButton(QStringLiteral("Strip all"), this), "metadataStripAll")),
      losslessJpeg(
          Named(new QCheckBox(QStringLiteral("Keep JPEG blocks outside the marks (no re-encoding)"), this),
                "losslessJpeg")) {
    quality->setRange(1, 100);
    quality->setValue(kSuggestedQuality);
    // Each row is its own choice.
    auto* qualityGroup = new QButtonGroup(this);
    for (QRadioButton* button : {defaultQuality, sourceQuality, chosenQuality})
        qualityGroup->addButton(button);
    auto* metadataGroup = new QButtonGroup(this);
    for (QRadioButton* button : {keepMetadata, stripGps, stripAll}) metadataGroup->addButton(button);
    connect(chosenQuality, &QRadioButton::toggled, quality, &QSpinBox::setEnabled);

    auto* layout = new QGridLayout(this);
    layout->addWidget(new QLabel(QStringLiteral("JPEG quality:"), this), 0, 0);
    layout->addLayout(Row({defaultQuality, sourceQuality, chosenQuality, quality}), 0, 1);
    layout->addWidget(new QLabel(QStringLiteral("Metadata:"), this), 1, 0);
    layout->addLayout(Row({keepMetadata, stripGps, stripAll}), 1, 1);
    layout->addWidget(losslessJpeg, 2, 0, 1, 2);
    Show(OutputSettings{});
}

void OutputOptionsBox::Show(const OutputSettings& options) {
    const bool chosen = !options.qualityFromSource && options.quality >= 1 && options.quality <= 100;
    defaultQuality->setChecked(!options.qualityFromSource && !chosen);
    sourceQuality->setChecked(options.qualityFromSource);
    chosenQuality->setChecked(chosen);
    quality->setEnabled(chosen);
    if (chosen) quality->setValue(options.quality);
    keepMetadata->setChecked(options.metadata != MetadataKept::NoGps &&
                             options.metadata != MetadataKept::Essential);
    stripGps->setChecked(options.metadata == MetadataKept::NoGps);
    stripAll->setChecked(options.metadata == MetadataKept::Essential);
    losslessJpeg->setChecked(options.losslessJpeg);
}

void OutputOptionsBox::Read(OutputSettings& options) const {
    options.qualityFromSource = sourceQuality->isChecked();
    options.quality = chosenQuality->isChecked() ? quality->value() : -1;
    options.metadata = stripAll->isChecked()   ? MetadataKept::Essential
                       : stripGps->isChecked() ? MetadataKept::NoGps
                                               : MetadataKept::All;
    options.losslessJpeg = losslessJpeg->isChecked();
}

}  // namespace stampora
