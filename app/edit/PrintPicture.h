#pragma once
// Printing the composed picture: one page, the picture as large as the
// printable area allows and centred on it.
#include <QPageLayout>
#include <QSize>

#include "image/RasterImage.h"
#include "platform/Status.h"

class QPrinter;

namespace stampora {

// The orientation a picture of this size fills best: landscape when it is
// wider than tall.
QPageLayout::Orientation BestOrientation(QSize picture);

// Prints `picture` (32 bits, lines bottom-up as every picture keeps them)
// scaled to fit the printable area of `printer`'s page and centred there;
// false, with the reason in `status`, when the printer cannot be started.
bool PrintPicture(const CRasterImage& picture, QPrinter& printer, Status& status);

}  // namespace stampora
