#pragma once
// The picture file dialogs' filters, made from the format table.
#include <QString>

namespace stampora {

// The Open dialog's filters (the editor's and the image mark's): one per
// format the editor reads, the JPEG one first, then All Files.
QString PictureFileFilters();

// The Save As dialog's filters: the same for the formats it can write.
QString PictureSaveFilters();

// The extension (without the dot, lower case) of the format one of these
// filters stands for; empty for All Files or a filter of no format.
QString ExtensionOfFilter(const QString& filter);

}  // namespace stampora
