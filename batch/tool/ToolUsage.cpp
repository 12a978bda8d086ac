#include "batch/tool/ToolUsage.h"

namespace stampora {

const char kToolUsage[] = R"(Usage: stampora-batch [options] SOURCE_DIR [OUTPUT_DIR]

Stamps a text watermark and/or an image watermark on every picture of the
chosen types in SOURCE_DIR (its subfolders too with --recursive) and writes
each result under the same name into OUTPUT_DIR, in the format of its
extension. Files that are not readable pictures are skipped. Without
OUTPUT_DIR the results go to the editor's output directory: OutputDir of
[Setting] in ./config.ini, else the Documents folder's "Stampora" folder. A
missing OUTPUT_DIR is created.

Pictures:
  --types all|LIST        which files to take: all (the default), or a comma
                          list of jpg, bmp, png, gif, tga, tif, webp, heic,
                          avif, jxl (jpg also takes .jpeg and .jpe, bmp also
                          .dib and .rle, tif also .tiff, heic also .heif and
                          .hif), by the whole extension in any case;
                          only regular files
  --quality N|source      JPEG quality 1..100 (default: the writer's, 80),
                          also for WebP, HEIC, AVIF and JPEG XL (100 makes
                          WebP and JPEG XL lossless); source: each JPEG at
                          the quality estimated from its own tables, other
                          pictures at 80
  --strip-gps             leave every GPS coordinate (EXIF, XMP, IPTC
                          Extension places) out of the copies, which
                          otherwise keep the sources' EXIF, XMP, IPTC, ICC
                          profile, resolution and JPEG comment (as far as
                          their format can hold them)
  --strip-metadata        keep only the ICC profile and the resolution
  --jobs N                pictures processed at the same time, 1..256
                          (default: one per processor core); the results
                          and the order of the lines are the same for any N
  --memory SIZE           memory the pictures being processed may take at
                          once, e.g. 2G or 500M (default: half the
                          machine's); a picture waits until it fits, one
                          larger than SIZE is processed alone
  --in-place              allow OUTPUT_DIR to be SOURCE_DIR, replacing every
                          original by its watermarked version
  --lossless-jpeg         a JPEG saved as JPEG keeps every 8x8 block outside
                          the marks bit for bit, with its own quality,
                          sampling, orientation and metadata (--quality
                          does not apply; --strip-gps and --strip-metadata
                          do); the marks are fitted, tiled and filled in
                          for each picture first. CMYK, arithmetic-coded
                          or damaged JPEGs and marks over 60% of a picture
                          are re-encoded whole, and their line says so

Big folders and many machines:
  --recursive             walk the subfolders of SOURCE_DIR too and make the
                          same subfolders under OUTPUT_DIR; links to folders
                          are not followed, OUTPUT_DIR is never walked
  --skip-existing         leave a picture whose output exists and is newer
                          than it, so an interrupted run resumes
  --files-from FILE       take the pictures named in FILE (one a line, paths
                          below SOURCE_DIR) instead of listing SOURCE_DIR;
                          - reads the names from standard input
  --null                  the names of --files-from end in NUL, not a line
                          feed (as find -print0 writes them)
  --placements FILE       stamp the marks moved on single pictures where
                          FILE puts them: CSV lines name,mark,x,y (the
                          picture's name as printed, text or image, the
                          mark's top-left in pixels), as the batch dialog
                          saves them
  --shard K/N             take only the K-th of N shares of the pictures:
                          those at positions K, K+N, K+2N, ... in name order,
                          so N runs split one folder without overlap

Presets:
  --save-preset FILE      write the mark and output options of this command
                          line (and of --preset) into FILE; without SOURCE_DIR
                          nothing else is done
  --preset FILE           take the options kept in FILE; options given on the
                          command line win over them. A line that is not
                          an option of its section is refused as FILE:LINE

Text watermark (active when --text is given):
  --text TEXT             the text; a line feed in TEXT starts a new line.
                          These fill themselves in for each picture:
                            {name}    file name without its extension
                            {ext}     extension without the dot
                            {width}   {height}  the picture's size in pixels
                            {date}    date taken (EXIF) as YYYY-MM-DD, else
                                      the file's modification date
                            {year}    the year of {date}
                            {camera}  camera model (EXIF), empty if none
                            {n}       running number in list order, from 1
                          {{ and }} write a brace; any other {word} is an
                          error: --text "(c) {year} {name} #{n}"
  --font FAMILY           an installed font family (default: DejaVu Sans)
  --size POINTS|PCT%      1..1000 points (default 24), or the height of the
                          letters' em in pixels as 0.1%..100% of each
                          picture's shorter side, so the text looks the same
                          on every picture: --size 4%
  --style STYLE           normal, bold, italic or bold-italic (default normal)
  --color RRGGBB|auto     text colour (default 000000, black); auto: white
                          or black on each picture, whichever contrasts
                          more with the picture under the text, with the
                          outline and shadow in the other
  --outline W[,RRGGBB]    a stroke around the letters, under them and over
                          the shadow: W pixels (1..1000) or a percentage of
                          the text size (0.1%..50%), in the colour given
                          (default 000000): --outline 5%,000000
  --opacity PERCENT       0..100 (default 100)
  --rotation DEGREES      0..360, clockwise (default 0)
  --shadow                draw a drop shadow under the text
  --shadow-color RRGGBB   shadow colour (default 000000)
  --shadow-opacity PCT    0..100 (default 100)
  --shadow-distance PX    shadow offset right and down, 0..1000 (default 0)
  --shadow-smooth PX      shadow blur, 0..100 (default 0)
  --text-align ANCHOR     where the text sits (default right-bottom), or auto

Image watermark (active when --image is given):
  --image FILE            the watermark picture (BMP, TGA, JPEG, PNG, GIF,
                          TIFF or ICO)
  --image-size SIZE       WxH in pixels; W alone keeps the proportions;
                          best: a tenth of the picture's own size;
                          real: its own size (the default);
                          PCT%: its width as 0.1%..100% of each picture's
                          width, and xPCT%: its height as a share of each
                          picture's height, the proportions kept:
                          --image-size 20%   --image-size x15%
  --image-opacity PERCENT 0..100 (default 100)
  --image-rotation DEG    0..360, clockwise (default 0)
  --image-align ANCHOR    where the image sits (default right-bottom), or auto

Placing both marks:
  --margin N|PCT%         the space kept between a mark and the edges its
                          anchor touches, in pixels or as 0.1%..100% of
                          each picture's shorter side (default 10):
                          --margin 3%
  --tile                  repeat each mark over the whole picture in a grid
                          that starts at its anchored place, every second
                          row shifted by half a step: --tile
  --tile-gap X[,Y]        space between tiles across and down, in pixels or
                          as a percentage of the shorter side (default: one
                          mark's width across, its height down; Y defaults
                          to X): --tile --tile-gap 5%,8%

ANCHOR is one of left-top, top, right-top, left, center, right, left-bottom,
bottom, right-bottom, or auto: on each picture the one of these nine places
where the mark covers the least detail, the two marks never overlapping
(equal places taken in that order). Each mark keeps its margin from the
edges it touches; a mark that does not fit inside a picture with that margin
is left off that picture. The text is drawn over the image watermark. A
picture on which a mark would come out under 1 pixel, over 268,435,456
pixels, or in more than 100,000 tiles is not written, and its reason is
printed.

Examples:
  stampora-batch --text "(c) Ann Lee" --size 4% --color ffffff photos out
  stampora-batch --image logo.png --image-size 20% --image-opacity 60 \
      --tile --tile-gap 10% --image-rotation 30 photos out
  stampora-batch --text "{name} {date}" --size 3% --text-align left-bottom \
      photos out

  --verbose               after each file, its size, the marks' sizes, what
                          auto chose and the time it took
  --version               show the version
  -h, --help              show this text

Each file gets a line in name order (a name holding control characters is
quoted as GNU ls quotes it: 'a'$'\n''b'), then one summary counts what did
not come out whole, by reason. A 16-bit PNG or TIFF is written at 8 bits per
channel, and its line says so.

Exit status: 0 when every picture of the chosen types was written whole with
every mark asked for; 1 when one was skipped, damaged (its metadata too),
not saved or left
without a mark that did not fit, or no file of the chosen types was found;
2 for usage errors (nothing to stamp, among them) and runs refused before
they start.
)";

}  // namespace stampora
