// Folder and file dialogs driven through Qt's own dialog, and file drags
// looked at through the drag seam.
#include "ui/zun_file_dialogs.h"

#include "contracts/data/zun_msg.h"
#include "render/qt/zun_qstring.h"
#include "tests/contracts/data/test_tmp_dir.h"
#include "ui/zun_file_dialogs_p.h"

#include <QApplication>
#include <QDir>
#include <QDrag>
#include <QLineEdit>
#include <QMimeData>
#include <QTest>
#include <QTimer>

#include <functional>

#include <gtest/gtest.h>

using namespace ZUN;

namespace {

CZunString wide(const std::filesystem::path& path) { return CZunString::fromUtf8(path.string()); }

// Runs check on the modal dialog that call opens, then lets call finish.
template <typename Call>
auto whileModal(std::function<void(QFileDialog&)> check, Call call)
{
    bool seen = false;
    QTimer::singleShot(0, [&] {
        auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        if (!dialog) {
            ADD_FAILURE() << "no modal file dialog";
            if (QWidget* other = QApplication::activeModalWidget())
                other->close();
            return;
        }
        seen = true;
        check(*dialog);
    });
    auto result = call();
    EXPECT_TRUE(seen);
    return result;
}

class DialogTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        // Qt's own dialog, so that the test can drive it on any platform.
        QApplication::setAttribute(Qt::AA_DontUseNativeDialogs);
        m_lang = msgLangSet(L"de");
        std::filesystem::create_directories(tmp.path() / "sub" / "deeper");
    }
    void TearDown() override { msgLangSet(m_lang.c_str()); }

    CTestTmpDir tmp;

private:
    CZunString m_lang;
};

} // namespace

// ---- folder -----------------------------------------------------------------

struct StartCase {
    const wchar_t* path;
    const wchar_t* start;
};

void PrintTo(const StartCase& c, std::ostream* out)
{
    *out << '"' << CZunString(c.path) << '"';
}

class FolderStart : public ::testing::TestWithParam<StartCase> {};

TEST_P(FolderStart, Normalised)
{
    EXPECT_EQ(folderStartPath(GetParam().path), GetParam().start);
}

INSTANTIATE_TEST_SUITE_P(Paths, FolderStart, ::testing::Values(
    StartCase{L"C:", L"C:/"},                   // a bare drive starts in its root
    StartCase{L"C:\\", L"C:/"},
    StartCase{L"C:/", L"C:/"},
    StartCase{L"/", L"/"},                      // the root keeps its separator
    StartCase{L"//", L"/"},
    StartCase{L"/home/u/", L"/home/u"},         // a trailing separator goes
    StartCase{L"/home/u//", L"/home/u"},
    StartCase{L"\\home\\u\\", L"/home/u"},      // backslashes become this platform's separator
    StartCase{L"/home/u", L"/home/u"},
    StartCase{L"rel\\dir\\", L"rel/dir"},
    StartCase{L"x", L"x"},
    StartCase{L"", L""}));

enum class Answer { Accept, TypeSub, Cancel };

struct FolderCase {
    const char* given;       // the start path; "$" stands for the scratch folder
    const char* startsIn;    // where the dialog starts, "$" as above
    Answer answer;
    const char* result;      // path afterwards
    bool ok;
};

void PrintTo(const FolderCase& c, std::ostream* out)
{
    static const char* const answers[] = {"accept", "type a sub-folder", "cancel"};
    *out << '"' << c.given << "\" " << answers[static_cast<int>(c.answer)];
}

class DlgFolder : public DialogTest, public ::testing::WithParamInterface<FolderCase> {
protected:
    std::string expand(const char* text) const
    {
        std::string s = text;
        if (const size_t at = s.find('$'); at != std::string::npos)
            s.replace(at, 1, tmp.str());
        return s;
    }
    std::string backslashed(std::string s) const
    {
        for (char& c : s)
            if (c == '/')
                c = '\\';
        return s;
    }
};

TEST_P(DlgFolder, StartsNormalisedAndEndsInTheSeparator)
{
    const FolderCase& c = GetParam();
    std::string given = expand(c.given);
    if (given.find("BS:") == 0)
        given = backslashed(given.substr(3));
    CZunString path = CZunString::fromUtf8(given);
    QString startedIn;
    QString title;
    const bool ok = whileModal([&](QFileDialog& dialog) {
        startedIn = dialog.directory().absolutePath();
        title = dialog.windowTitle();
        if (c.answer == Answer::TypeSub) {
            auto* name = dialog.findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
            ASSERT_NE(name, nullptr);
            name->setText(QStringLiteral("deeper"));
        }
        c.answer == Answer::Cancel ? dialog.reject() : static_cast<QDialog&>(dialog).accept();
    }, [&] { return dlgFolder(nullptr, path, nullptr); });
    EXPECT_EQ(startedIn.toStdString(), expand(c.startsIn));
    EXPECT_EQ(title, QStringLiteral("Ordner wählen"));
    EXPECT_EQ(ok, c.ok);
    EXPECT_EQ(path.toUtf8(), c.ok ? expand(c.result) : given);
}

INSTANTIATE_TEST_SUITE_P(Dialog, DlgFolder, ::testing::Values(
    FolderCase{"$/sub/", "$/sub", Answer::Accept, "$/sub/", true},
    FolderCase{"BS:$/sub/", "$/sub", Answer::Accept, "$/sub/", true},     // written with backslashes
    FolderCase{"$/sub", "$/sub", Answer::TypeSub, "$/sub/deeper/", true},
    FolderCase{"/", "/", Answer::Accept, "/", true},                      // the root is not doubled
    FolderCase{"$/sub/", "$/sub", Answer::Cancel, "", false}));            // cancel keeps the text

TEST_F(DialogTest, FolderDialogTakesTheActiveWindowAndTheCallersTitle)
{
    QWidget main;
    main.show();
    main.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&main));
    CZunString path = wide(tmp.path());
    QWidget* owner = nullptr;
    QString title;
    whileModal([&](QFileDialog& dialog) {
        owner = dialog.parentWidget();
        title = dialog.windowTitle();
        dialog.reject();
    }, [&] { return dlgFolder(nullptr, path, L"Export folder"); });
    EXPECT_EQ(owner, &main);
    EXPECT_EQ(title, QStringLiteral("Export folder"));
}

// ---- file -------------------------------------------------------------------

struct FilterCase {
    const wchar_t* filter;
    QStringList qt;
};

void PrintTo(const FilterCase& c, std::ostream* out)
{
    *out << '"' << CZunString(c.filter) << '"';
}

class FileFilter : public ::testing::TestWithParam<FilterCase> {};

TEST_P(FileFilter, ConvertedToQtForm)
{
    EXPECT_EQ(CZunFileDialog::filterToQt(GetParam().filter), GetParam().qt);
}

INSTANTIATE_TEST_SUITE_P(Filters, FileFilter, ::testing::Values(
    FilterCase{L"Text files (*.txt)|*.txt|All files (*.*)|*.*||", {"Text files (*.txt)", "All files (*)"}},
    FilterCase{L"Pictures|*.png;*.jpg; *.bmp||", {"Pictures (*.png *.jpg *.bmp)"}},
    FilterCase{L"Slides (*.sld)|*.sld;*.slb|", {"Slides (*.sld *.slb)"}},    // the patterns part counts
    FilterCase{L"(*.chm)|*.chm||", {"*.chm"}},                               // no text: the patterns alone
    FilterCase{L"Help|*.qch", {"Help (*.qch)"}},                             // no end mark
    FilterCase{L"Help|*.qch|Dangling||", {"Help (*.qch)"}},                  // a text without patterns ends it
    FilterCase{L"Help|*.qch||Ignored|*.x||", {"Help (*.qch)"}},              // nothing after the end mark
    FilterCase{L"Help|;;||", QStringList()},
    FilterCase{L"", QStringList()},
    FilterCase{nullptr, QStringList()}));

TEST_F(DialogTest, FileDialogIsAlwaysTheOpenDialog)
{
    const std::filesystem::path text = tmp.write("notes.txt", "x");
    tmp.write("picture.png", "x");
    // Made as a save dialog, with a folder to start in and a name.
    CZunFileDialog dialog(false, L"txt", wide(text).c_str(), OFN_FILEMUSTEXIST | OFN_ENABLEHOOK,
                          L"Text (*.txt)|*.txt|All|*.*||", nullptr);
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Datei öffnen"));
    dialog.SetTitle(L"Import notes");
    QFileDialog::AcceptMode mode = QFileDialog::AcceptSave;
    QFileDialog::FileMode fileMode = QFileDialog::AnyFile;
    QStringList filters;
    QString title;
    const int result = whileModal([&](QFileDialog& shown) {
        EXPECT_EQ(&shown, &dialog);
        mode = shown.acceptMode();
        fileMode = shown.fileMode();
        filters = shown.nameFilters();
        title = shown.windowTitle();
        static_cast<QDialog&>(shown).accept();  // QFileDialog keeps its accept() protected
    }, [&] { return dialog.DoModal(); });
    EXPECT_EQ(result, 1);
    EXPECT_EQ(mode, QFileDialog::AcceptOpen);
    EXPECT_EQ(fileMode, QFileDialog::ExistingFile);
    EXPECT_EQ(filters, QStringList({"Text (*.txt)", "All (*)"}));
    EXPECT_EQ(title, QStringLiteral("Import notes"));
    EXPECT_EQ(dialog.Flags() & OFN_ENABLEHOOK, 0u);
    EXPECT_EQ(dialog.GetPathName(), wide(text));
    EXPECT_EQ(dialog.GetFileName(), L"notes.txt");
    EXPECT_EQ(dialog.GetFileExt(), L"txt");
    EXPECT_EQ(dialog.GetFileTitle(), L"notes");
    EXPECT_EQ(dialog.GetFolderPath(), wide(tmp.path()));
    EXPECT_FALSE(dialog.IsOpenDialog());

    const int cancelled = whileModal([](QFileDialog& shown) { shown.reject(); }, [&] { return dialog.DoModal(); });
    EXPECT_EQ(cancelled, 2);
    EXPECT_TRUE(dialog.GetPathName().isEmpty());
    EXPECT_TRUE(dialog.GetPathNames().isEmpty());
}

// ---- drag -------------------------------------------------------------------

class DragTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_previous = dragRunnerSet([this](QDrag& drag, Qt::DropActions effects) {
            ++runs;
            offered = effects;
            const QMimeData* data = drag.mimeData();
            formats = data ? data->formats() : QStringList();
            urls = data ? data->urls() : QList<QUrl>();
            uriList = data ? data->data(QStringLiteral("text/uri-list")) : QByteArray();
            return answer;
        });
    }
    void TearDown() override { dragRunnerSet(m_previous); }

    int runs = 0;
    Qt::DropActions offered;
    QStringList formats;
    QList<QUrl> urls;
    QByteArray uriList;
    Qt::DropAction answer = Qt::CopyAction;
    CTestTmpDir tmp;

private:
    DragRunner m_previous;
};

TEST_F(DragTest, MissingFileStartsNoDrag)
{
    EXPECT_FALSE(DoDragDrop(wide(tmp.path() / "missing.dxf").c_str()));
    EXPECT_FALSE(DoDragDrop(L""));
    EXPECT_FALSE(DoDragDrop(nullptr));
    EXPECT_EQ(runs, 0);
}

TEST_F(DragTest, ExistingFileIsOfferedAsUriList)
{
    const std::filesystem::path file = tmp.write("part 1.dxf", "0\nEOF\n");
    EXPECT_TRUE(DoDragDrop(wide(file).c_str(), Qt::CopyAction | Qt::MoveAction));
    EXPECT_EQ(runs, 1);
    EXPECT_EQ(offered, Qt::CopyAction | Qt::MoveAction);
    EXPECT_TRUE(formats.contains(QStringLiteral("text/uri-list")));
    ASSERT_EQ(urls.size(), 1);
    EXPECT_EQ(urls[0].toLocalFile(), QString::fromStdString(file.string()));
    EXPECT_EQ(uriList, QUrl::fromLocalFile(QString::fromStdString(file.string())).toEncoded() + "\r\n");

    answer = Qt::IgnoreAction;  // nobody took it
    EXPECT_FALSE(DoDragDrop(wide(file).c_str()));
    EXPECT_EQ(runs, 2);
}

TEST_F(DragTest, RelativeNameIsOfferedWithItsFullPath)
{
    tmp.write("rel.txt", "x");
    const std::filesystem::path old = std::filesystem::current_path();
    std::filesystem::current_path(tmp.path());
    const bool dropped = DoDragDrop(L"rel.txt");
    std::filesystem::current_path(old);
    EXPECT_TRUE(dropped);
    ASSERT_EQ(urls.size(), 1);
    EXPECT_EQ(urls[0].toLocalFile(), QString::fromStdString((tmp.path() / "rel.txt").string()));
}
