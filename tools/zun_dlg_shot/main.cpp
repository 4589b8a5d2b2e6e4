// zun-dlg-shot: opens one of the module's standard dialogs in a language,
// filled with an example, and saves a picture of it. Used for the pictures
// of docs/dialogs.md; run it on a real display (or a virtual one), since
// the offscreen platform draws without the desktop's style and fonts.

#include "contracts/data/zun_data_item.h"
#include "contracts/data/zun_drawing.h"
#include "contracts/data/zun_msg.h"
#include "contracts/data/zun_outline.h"
#include "dialogs/zun_label_edit.h"
#include "dialogs/zun_mat_tree_dlg.h"
#include "dialogs/zun_outl_dlg.h"
#include "dialogs/zun_units_dlg.h"
#include "ui/zun_dial_app.h"

#include <QApplication>
#include <QTest>

#include <cstdio>
#include <cstring>
#include <string>

namespace {

const char* const kUsage =
    "Usage: zun-dlg-shot DIALOG LANGUAGE OUT.png\n"
    "\n"
    "Opens a standard dialog of the module with example data in a language\n"
    "(de, en) and saves a picture of its window.\n"
    "\n"
    "  DIALOG  outline: the outline dialog on a channel section of range\n"
    "          100, with a base point and a material.\n"
    "\n"
    "       zun-dlg-shot --run DIALOG LANGUAGE\n"
    "\n"
    "Runs a dialog modally through its exported function, for a person (or a\n"
    "program sending input) to use, and prints what it returned.\n"
    "\n"
    "  DIALOG  outline, material, units or label.\n";

bool shootOutline(const CZunString& language, const QString& out)
{
    CZunDataItem catalogue(true);
    ZUN::zunOutlineInit(&catalogue);
    ZUN::outlineData data;
    data.outline = ZUN::kOutlChannel;
    data.range = 3;
    data.parms = {160.0, 65.0, 7.5, 10.5};
    data.basePt = CZunPoint3d(-32.5, -80.0, 0.0);
    data.material = L"S235";
    CZunOutlDlg dlg;
    dlg.SetCountry(language.c_str());
    dlg.loadData(data);
    dlg.setCatalogue(&catalogue);
    dlg.SavePosition(false);
    if (!dlg.Create())
        return false;
    dlg.show();
    if (!QTest::qWaitForWindowExposed(&dlg))
        return false;
    QTest::qWait(200);
    const bool saved = dlg.grab().save(out, "PNG");
    dlg.DestroyWindow();
    return saved;
}

// Runs one exported dialog function as the add-on's commands call it and
// prints its result; 2 for an unknown dialog.
int runDialog(const char* name, const CZunString& language)
{
    ZUN::DlgEnv_st env;
    env.country = language;
    if (std::strcmp(name, "outline") == 0) {
        CZunDataItem catalogue(true);
        ZUN::outlineData data;
        data.material = L"S235";
        const int result = ZUN::dlgOutline(env, data, &catalogue);
        std::printf("result %d, outline %d, material %ls, parameters", result, data.outline, data.material.c_str());
        for (double p : data.parms)
            std::printf(" %g", p);
        std::printf("\n");
    } else if (std::strcmp(name, "material") == 0) {
        // The tree lists the materials of the open drawing: open the sample.
        ZUN::drawingOpen(CZunString::fromUtf8(ZUN_SAMPLE_DRAWING));
        ZUN::DlgEnvMatTree_st matEnv;
        matEnv.country = language;
        matEnv.withDrawing = true;
        CZunString mat = L"S235";
        const int result = ZUN::dlgMatTree(matEnv, mat);
        std::printf("result %d, material %ls\n", result, mat.c_str());
    } else if (std::strcmp(name, "units") == 0) {
        std::printf("unit %d\n", static_cast<int>(ZUN::dlgUnits(env, ZUN::kUnitMillimeter)));
    } else if (std::strcmp(name, "label") == 0) {
        CZunString label;
        const int result =
            ZUN::dlgLabelEdit(env, label, 1, L"\\de:Fußplatte 300×400\\en:Base plate 300×400", language.c_str(), nullptr);
        std::printf("result %d, label %ls\n", result, label.c_str());
    } else {
        std::fprintf(stderr, "zun-dlg-shot: unknown dialog '%s'\n%s", name, kUsage);
        return 2;
    }
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc == 4 && std::strcmp(argv[1], "--run") == 0) {
        QApplication app(argc, argv);
        ZUN::moduleAttach();
        const CZunString language = QString::fromLocal8Bit(argv[3]).toStdWString().c_str();
        ZUN::msgLangSet(language);
        const int status = runDialog(argv[2], language);
        ZUN::moduleDetach();
        return status;
    }
    if (argc != 4 || std::strcmp(argv[1], "--help") == 0) {
        std::fputs(kUsage, argc == 2 ? stdout : stderr);
        return argc == 2 ? 0 : 2;
    }
    QApplication app(argc, argv);
    ZUN::moduleAttach();
    const CZunString language = QString::fromLocal8Bit(argv[2]).toStdWString().c_str();
    ZUN::msgLangSet(language);
    const QString out = QString::fromLocal8Bit(argv[3]);
    bool done = false;
    if (std::strcmp(argv[1], "outline") == 0) {
        done = shootOutline(language, out);
    } else {
        std::fprintf(stderr, "zun-dlg-shot: unknown dialog '%s'\n%s", argv[1], kUsage);
        ZUN::moduleDetach();
        return 2;
    }
    ZUN::moduleDetach();
    if (!done) {
        std::fprintf(stderr, "zun-dlg-shot: no picture written to %s\n", argv[3]);
        return 1;
    }
    std::printf("%s\n", argv[3]);
    return 0;
}
