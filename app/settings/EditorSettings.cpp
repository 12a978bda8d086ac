#include "app/settings/EditorSettings.h"

#include "app/CanvasView.h"
#include "app/settings/SaveOptions.h"
#include "platform/OutputDirectorySetting.h"

namespace stampora {

RunSettings EditorSettings(const EditorMarks& marks) {
    RunSettings settings;
    settings.textMark = marks.Text();
    settings.imageMark = marks.Image();
    settings.textFit = marks.TextFit();
    settings.imageFit = marks.ImageFit();
    settings.output = saveOptions;
    return settings;
}

void TakeMarks(CanvasView& canvas, const RunSettings& settings) {
    canvas.TakeAnchoredMarks(settings.textMark, settings.textFit, settings.imageMark, settings.imageFit);
}

bool LoadEditorPreset(CanvasView& canvas, const std::string& path, Status& status) {
    RunSettings settings;
    if (!LoadRunSettings(path, settings, status)) return false;
    TakeMarks(canvas, settings);
    saveOptions = settings.output;
    return true;
}

std::string RememberedMarksPath() {
    return SettingsFolderFile("marks.ini");
}

bool RememberMarks(const EditorMarks& editorMarks) {
    RunSettings marks = EditorSettings(editorMarks);
    // The save options have their own place in config.ini.
    marks.output = OutputSettings{};
    Status ignored;
    const std::string path = RememberedMarksPath();
    return !path.empty() && SaveRunSettings(path, marks, ignored);
}

void RestoreRememberedMarks(CanvasView& canvas) {
    RunSettings marks;
    Status ignored;
    const std::string path = RememberedMarksPath();
    if (path.empty() || !LoadRunSettings(path, marks, ignored)) return;
    // As they were last confirmed: centred on the picture, as from their dialogs.
    if (marks.textMark.base.enabled) canvas.TakeTextMark(marks.textMark, marks.textFit);
    if (marks.imageMark.base.enabled) canvas.TakeImageMark(marks.imageMark, marks.imageFit);
}

}  // namespace stampora
