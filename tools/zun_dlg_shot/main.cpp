// zun-dlg-shot: opens one of the module's standard dialogs in a language,
// filled with an example, and saves a picture of it. Used for the pictures
// of docs/dialogs.md; run it on a real display (or a virtual one), since
// the offscreen platform draws without the desktop's style and fonts.

#include "contracts/data/zun_data_item.h"
#include "contracts/data/zun_msg.h"
#include "contracts/data/zun_outline.h"
#include "dialogs/zun_outl_dlg.h"
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
    "          100, with a base point and a material.\n";

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

} // namespace

int main(int argc, char** argv)
{
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
