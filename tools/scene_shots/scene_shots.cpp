// Pictures of the game's scene as a player sees it, at 800 x 600 with 3D:
// play at each of the five display-quality levels, the title cubes and a
// frame of the level introduction, and the pause menu on its dark panel
// over play in English and Esperanto. Each is saved as a BMP file in the
// folder given (default: the current one); with --reference the pictures
// the picture test compares with are written too, at a fifth of the size.
//   scene_shots [--reference DIR] [OUTDIR]
#include "screens/menus.h"
#include "screens/status.h"
#include "shell/settings.h"
#include "support/textres.h"
#include "tools/scene_shots/stage.h"

#include <cstring>

using namespace sceneshots;

int main(int argc, char** argv)
{
    std::string out = ".", reference;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--reference") == 0 && i + 1 < argc)
            reference = argv[++i];
        else
            out = argv[i];
    }
    Stage stage;
    if (!stage.Open(800, 600, 32)) {
        std::fprintf(stderr, "scene_shots: the scene could not be set up\n");
        stage.Close();
        return 1;
    }
    bool ok = true;
    auto save = [&](const std::string& name, const Picture& p, bool fReference) {
        const std::string path = out + "/" + name + ".bmp";
        ok = SaveBmp(path, p) && ok;
        std::printf("%s\n", path.c_str());
        if (fReference && !reference.empty()) {
            const std::string small = reference + "/" + name + ".bmp";
            ok = SaveBmp(small, Shrink(p, 5)) && ok;
            std::printf("%s\n", small.c_str());
        }
    };
    for (int level = 5; level >= 1; --level) {
        stage.Play(DisplayQualityMask(level));
        save("play_quality" + std::to_string(level), stage.Shot(), level == 5 || level == 1);
    }
    // The pause menu over a level, with the status bars, in both languages.
    stage.Play(DisplayQualityMask(5));
    g.lGameState = gsPaused;
    InitStatusDisplay(stage.aw);
    RefreshStatus();
    SetMenuWindow(stage.aw);
    for (WORD language : {LANG_ENGLISH_TEXTS, LANG_ESPERANTO_TEXTS}) {
        SetLanguage(language);
        ShowPauseMenu();
        save(language == LANG_ENGLISH_TEXTS ? "pause_eng" : "pause_esp", stage.Shot(), false);
    }
    SetLanguage(LANG_ENGLISH_TEXTS);
    ReleaseMenus();
    SetMenuWindow(nullptr);
    RemoveStatusBars();
    InitStatusDisplay(nullptr);
    stage.Title();
    save("title", stage.Shot(), true);
    stage.Intro();
    save("intro", stage.Shot(), true);
    stage.Close();
    return ok ? 0 : 1;
}
