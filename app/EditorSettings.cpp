#include "app/EditorSettings.h"

#include "app/CanvasView.h"
#include "app/SaveOptions.h"
#include "platform/OutputDirectorySetting.h"

namespace stampora {

RunSettings EditorSettings(const CanvasView& canvas) {
    RunSettings settings;
    settings.textMark = canvas.TextMark();
    settings.imageMark = canvas.ImageMark();
    settings.textFit = canvas.TextFit();
    settings.imageFit = canvas.ImageFit();
    settings.output = saveOptions;
    return settings;
}

void TakeMarks(CanvasView& canvas, const RunSettings& settings) {
    canvas.SetMarkFits(settings.textMark.base.enabled ? settings.textFit : canvas.TextFit(),
                       settings.imageMark.base.enabled ? settings.imageFit : canvas.ImageFit());
    if (settings.textMark.base.enabled) canvas.TakeTextMark(settings.textMark);
    if (settings.imageMark.base.enabled) canvas.TakeImageMark(settings.imageMark);
}

bool LoadEditorPreset(CanvasView& canvas, const std::string& path, std::string& error) {
    RunSettings settings;
    if (!LoadRunSettings(path, settings, error)) return false;
    TakeMarks(canvas, settings);
    saveOptions = settings.output;
    return true;
}

std::string RememberedMarksPath() {
    return SettingsFolderFile("marks.ini");
}

bool RememberMarks(const CanvasView& canvas) {
    RunSettings marks = EditorSettings(canvas);
    // The save options have their own place in config.ini.
    marks.output = OutputSettings{};
    std::string error;
    const std::string path = RememberedMarksPath();
    return !path.empty() && SaveRunSettings(path, marks, error);
}

void RestoreRememberedMarks(CanvasView& canvas) {
    RunSettings marks;
    std::string error;
    const std::string path = RememberedMarksPath();
    if (!path.empty() && LoadRunSettings(path, marks, error)) TakeMarks(canvas, marks);
}

}  // namespace stampora
