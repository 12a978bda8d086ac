#include "batch/tool/ToolUsage.h"

const char kToolUsage[] = R"(Usage: stampora-batch [options] SOURCE_DIR [OUTPUT_DIR]

Stamps a text watermark and/or an image watermark on every picture of the
chosen types in SOURCE_DIR (subfolders are not entered) and writes each result
under the same name into OUTPUT_DIR, in the format of its extension. Files
that are not readable pictures are skipped. Without OUTPUT_DIR the results go
to the editor's output directory: OutputDir of [Setting] in ./config.ini, else
the Documents folder's "Stampora" folder. A missing OUTPUT_DIR is created.

Pictures:
  --types all|LIST        which files to take: all (the default), or a comma
                          list of jpg, bmp, png, gif, tga (jpg also takes
                          .jpeg and .jpe, bmp also .dib and .rle), by the
                          whole extension in any case; only regular files
  --quality N             JPEG quality 1..100 (default: the writer's, 80)
  --jobs N                pictures processed at the same time, 1..256
                          (default: one per processor core); the results
                          are the same for any N
  --in-place              allow OUTPUT_DIR to be SOURCE_DIR, replacing every
                          original by its watermarked version
  --lossless-jpeg         a JPEG saved as JPEG keeps every 8x8 block outside
                          the marks bit for bit, with its own quality,
                          sampling and metadata (--quality does not apply);
                          CMYK, arithmetic-coded or damaged JPEGs and marks
                          over most of a picture are re-encoded as usual

Text watermark (active when --text is given):
  --text TEXT             the text; a line feed in TEXT starts a new line
  --font FAMILY           an installed font family (default: DejaVu Sans)
  --size POINTS           1..1000 (default 24)
  --style STYLE           normal, bold, italic or bold-italic (default normal)
  --color RRGGBB          text colour (default 000000, black)
  --opacity PERCENT       0..100 (default 100)
  --rotation DEGREES      0..360, clockwise (default 0)
  --shadow                draw a drop shadow under the text
  --shadow-color RRGGBB   shadow colour (default 000000)
  --shadow-opacity PCT    0..100 (default 100)
  --shadow-distance PX    shadow offset right and down, 0..1000 (default 0)
  --shadow-smooth PX      shadow blur, 0..100 (default 0)
  --text-align ANCHOR     where the text sits (default right-bottom)

Image watermark (active when --image is given):
  --image FILE            the watermark picture (BMP, TGA, JPEG, PNG, GIF,
                          TIFF or ICO)
  --image-size SIZE       WxH in pixels; W alone keeps the proportions;
                          best: a tenth of the picture's own size;
                          real: its own size (the default)
  --image-opacity PERCENT 0..100 (default 100)
  --image-rotation DEG    0..360, clockwise (default 0)
  --image-align ANCHOR    where the image sits (default right-bottom)

ANCHOR is one of left-top, top, right-top, left, center, right, left-bottom,
bottom, right-bottom. Each mark keeps a 10-pixel margin from the edges it
touches; a mark that does not fit inside a picture with that margin is left
off that picture. The text is drawn over the image watermark.

  -h, --help              show this text

Exit status: 0 when every picture of the chosen types was written whole with
every mark asked for; 1 when one was skipped, damaged, not saved or left
without a mark that did not fit, or no file of the chosen types was found;
2 for usage errors (nothing to stamp, among them) and runs refused before
they start.
)";
