#pragma once

class QWidget;

namespace stampora {

// The editor's Text Watermark, Image Watermark and Batch Watermark commands:
// each opens its dialog over the active window; the watermark dialogs work on
// a copy of the editor's mark, which the canvas takes back on OK.
class CanvasView;
class MainFrame;

void EditTextMark(CanvasView& canvas, QWidget* owner);
void EditImageMark(CanvasView& canvas, QWidget* owner);
// The batch dialog starts from the editor's output directory and is offered
// the editor's marks; the editor's picture and marks are not touched.
void ShowBatchDialog(const CanvasView& canvas, QWidget* owner);

// Connects the three commands of the frame to the functions above.
void ConnectMarkCommands(MainFrame& frame);

}  // namespace stampora
