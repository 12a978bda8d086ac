#pragma once
// The ids of the dialogs' controls, which become their object names
// ("id1010"): the dialogs name their controls by them, and tests and other
// code find the controls by the same names.

namespace stampora {

// Every dialog's OK and CANCEL buttons.
namespace ButtonId {
constexpr int kOk = 1;
constexpr int kCancel = 2;
}  // namespace ButtonId

namespace TextDialogId {
constexpr int kText = 1000;
constexpr int kFont = 1007;
constexpr int kStyle = 1031;
constexpr int kSize = 1010;
constexpr int kColour = 1011;
constexpr int kOpacity = 1021;
constexpr int kOpacityArrows = 1044;
constexpr int kRotation = 1023;
constexpr int kRotationArrows = 1045;
constexpr int kShadowSwitch = 1013;
constexpr int kShadowColour = 1024;
constexpr int kShadowOpacity = 1006;
constexpr int kShadowOpacityArrows = 1039;
constexpr int kDistance = 1005;
constexpr int kDistanceArrows = 1038;
constexpr int kSmooth = 1008;
constexpr int kSmoothArrows = 1040;
// How the mark fits each picture.
constexpr int kMargin = 1101;
constexpr int kTileSwitch = 1102;
constexpr int kGapAcross = 1103;
constexpr int kGapDown = 1104;
// Readable on every picture.
constexpr int kAutoColour = 1120;
constexpr int kOutlineSwitch = 1121;
constexpr int kOutlineWidth = 1122;
constexpr int kOutlineColour = 1123;
}  // namespace TextDialogId

namespace ImageDialogId {
constexpr int kPreview = 1050;
constexpr int kBestSize = 1052;
constexpr int kRealSize = 1053;
constexpr int kLockAspectRatio = 1013;
constexpr int kWidth = 1005;
constexpr int kHeight = 1051;
constexpr int kOpacity = 1054;
constexpr int kOpacityArrows = 1059;
constexpr int kRotation = 1060;
constexpr int kRotationArrows = 1061;
// A size that follows each picture's.
constexpr int kRelativeSwitch = 1110;
constexpr int kRelativePercent = 1111;
constexpr int kRelativeSide = 1112;
}  // namespace ImageDialogId

}  // namespace stampora
