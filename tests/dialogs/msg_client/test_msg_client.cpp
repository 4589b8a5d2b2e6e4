#include "contracts/base/zun_text.h"
#include "contracts/os/zun_dispatch.h"
#include "contracts/data/zun_msg.h"
#include "dialogs/zun_label_edit.h"
#include "dialogs/zun_label_transfer.h"
#include "dialogs/zun_msg_dlg.h"
#include "dialogs/zun_msg_dlg_p.h"
#include "tests/contracts/data/test_tmp_dir.h"

#include <QApplication>
#include <QCursor>
#include <QDBusConnection>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>

#include <gtest/gtest.h>

using namespace ZUN;

namespace {

const CZunString kStandin = L"Zun_Test.Standin";

// Waits in the event loop until the ProgID is gone from the bus, at most ms.
bool waitGone(const CZunString& progId, int ms)
{
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < ms) {
        IDispatch* d = dispatchFromProgID(progId);
        if (!d)
            return true;
        d->Release();
        QEventLoop loop;
        QTimer::singleShot(100, &loop, &QEventLoop::quit);
        loop.exec();
    }
    return false;
}

// The client against the real zun-msg, started from its service file in
// the build tree as the module starts it.
class MsgClient : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(QDBusConnection::sessionBus().isConnected()) << "run under dbus-run-session";
        ASSERT_FALSE(serverFromProgID(kMsgServerProgId).isEmpty()) << "XDG_DATA_DIRS must hold the build tree's share";
    }
    void TearDown() override
    {
        if (IDispatch* d = dispatchFromProgID(kMsgServerProgId)) {
            IZunMsgDlg(d).Close();
            EXPECT_TRUE(waitGone(kMsgServerProgId, 5000));
        }
    }
};

} // namespace

TEST_F(MsgClient, StartsTheServerAndReadsEveryLanguage)
{
    ASSERT_EQ(dispatchFromProgID(kMsgServerProgId), nullptr) << "no server yet";
    IDispatch* dispatch = getRscAppDispatch();
    ASSERT_NE(dispatch, nullptr);
    dispatch->AddRef();  // kept beyond the next call, as the label dialog keeps it
    IZunMsgDlg app(dispatch);

    EXPECT_EQ(app.OpenFile(CZunString::fromUtf8(ZUN_SOURCE_RES_DIR "/msg/zun_messages.json").c_str()), 1)
        << app.LastError().toUtf8();
    EXPECT_EQ(app.GetSelectedKey(), L"") << "nothing selected yet";
    EXPECT_EQ(app.SearchKey(L"ZUN_PART_0001"), 1);
    const CZunString key = app.GetSelectedKey();
    ASSERT_EQ(key, L"ZUN_PART_0001");

    struct Expected {
        const wchar_t* country;
        const wchar_t* text;
    };
    for (const Expected& e : {Expected{L"de", L"Stahlblech 2 mm\nfeuerverzinkt"},
                              Expected{L"en", L"Steel sheet 2 mm\nhot-dip galvanised"}, Expected{L"fr", L""}}) {
        EXPECT_EQ(app.GetMsg(key.c_str(), e.country), e.text) << CZunString(e.country).toUtf8();
        const CZunString escaped = app.wGetMsg(key.c_str(), e.country);
        EXPECT_EQ(escaped.view().find(L'\n'), std::wstring_view::npos) << "escaped texts hold no break";
        EXPECT_EQ(unEscapeWideChar(escaped), e.text);
    }
    EXPECT_EQ(app.wGetMsg(L"ZUN_MFC_0010", L"de"), L"Kein Text ausgew\\u00E4hlt");
    EXPECT_EQ(app.GetMsg(key.c_str(), L"0"), L"M de,en");
    EXPECT_EQ(app.GetMsg(L"ZUN_MFC_0009", L"0"), L"S de,en");
    EXPECT_EQ(app.GetMsg(L"NO_SUCH_KEY", L"de"), L"");
    EXPECT_EQ(app.SearchKey(L"NO_SUCH_KEY"), 0);

    EXPECT_EQ(app.GetVisible(), 1);
    app.SetVisible(0);
    EXPECT_EQ(app.GetVisible(), 0);
    app.SetVisible(1);
    EXPECT_EQ(app.GetVisible(), 1);
    app.SetCountry(L"en");
    EXPECT_EQ(app.GetCountry(), L"en");
    EXPECT_TRUE(app.LastError().isEmpty()) << app.LastError().toUtf8();

    // Copies share the object; the last one gives it back.
    IZunMsgDlg copy(app);
    IZunMsgDlg assigned;
    assigned = copy;
    assigned = assigned;
    EXPECT_EQ(assigned.dispatch(), dispatch);
    EXPECT_EQ(assigned.GetSelectedKey(), L"ZUN_PART_0001");
}

TEST_F(MsgClient, ARunningServerIsUsedWithoutStartingOne)
{
    IDispatch* first = getRscAppDispatch();
    ASSERT_NE(first, nullptr);
    msg_detail::RscWait wait;
    QElapsedTimer clock;
    clock.start();
    IDispatch* again = msg_detail::rscAppDispatchWait(kMsgServerProgId, wait);
    const qint64 ms = clock.elapsed();
    ASSERT_NE(again, nullptr);
    again->Release();
    EXPECT_FALSE(wait.started);
    EXPECT_EQ(wait.triesUsed, 0);
    EXPECT_LT(ms, 50);
    clock.restart();
    EXPECT_NE(getRscAppDispatch(), nullptr);
    EXPECT_LT(clock.elapsed(), 50);
}

TEST_F(MsgClient, ServerRefusesABrokenFileAndKeepsTheOpenOne)
{
    IDispatch* dispatch = getRscAppDispatch();
    ASSERT_NE(dispatch, nullptr);
    dispatch->AddRef();
    IZunMsgDlg app(dispatch);
    ASSERT_EQ(app.OpenFile(CZunString::fromUtf8(ZUN_SOURCE_RES_DIR "/msg/en.json").c_str()), 1);
    CTestTmpDir tmp;
    const auto broken = tmp.write("fr.json", "{\"ZUN_MFC_0010\": \"x\",\n\"B\": }");
    EXPECT_EQ(app.OpenFile(CZunString::fromUtf8(broken.string()).c_str()), 0);
    EXPECT_EQ(app.GetMsg(L"ZUN_MFC_0010", L"en"), L"No text selected");
    EXPECT_EQ(app.GetMsg(L"ZUN_MFC_0010", L"fr"), L"");
}

// The label dialog's import from the real server.
TEST_F(MsgClient, LabelImportFollowsTheSelectionAndTheMode)
{
    const CZunString file = CZunString::fromUtf8(ZUN_SOURCE_RES_DIR "/msg/zun_messages.json");
    CZunString label = L"\\de:vorher";
    // No server yet: it is started and given the file, but nothing is selected.
    EXPECT_EQ(labelImport(true, file, L"en", label), LabelImport::NoSelection);
    EXPECT_EQ(label, L"\\de:vorher") << "unchanged";
    IDispatch* dispatch = dispatchFromProgID(kMsgServerProgId);
    ASSERT_NE(dispatch, nullptr);
    IZunMsgDlg app(dispatch);
    EXPECT_EQ(app.GetCountry(), L"en") << "the dialog's language went to the server";

    ASSERT_EQ(app.SearchKey(L"ZUN_PART_0001"), 1) << "the file was opened";
    EXPECT_EQ(labelImport(false, file, L"de", label), LabelImport::MultiLineRefused);
    ASSERT_EQ(labelImport(true, file, L"de", label), LabelImport::Imported);
    EXPECT_EQ(label_get(label, L"de", false), L"Stahlblech 2 mm\nfeuerverzinkt");
    EXPECT_EQ(label_get(label, L"en", false), L"Steel sheet 2 mm\nhot-dip galvanised");
    EXPECT_EQ(label_get(label, L"fr", false), L"");

    ASSERT_EQ(app.SearchKey(L"ZUN_MFC_0010"), 1);
    ASSERT_EQ(labelImport(false, CZunString(), L"de", label), LabelImport::Imported);
    EXPECT_EQ(label_get(label, L"de", false), L"Kein Text ausgew\u00E4hlt") << "un-escaped";

    CTestTmpDir tmp;
    const auto other = tmp.write("other.json", R"({"zun_messages": 1, "texts": {"ONLY_XX": {"xx": "x"}}})");
    ASSERT_EQ(app.OpenFile(CZunString::fromUtf8(other.string()).c_str()), 1);
    ASSERT_EQ(app.SearchKey(L"ONLY_XX"), 1);
    EXPECT_EQ(labelImport(true, CZunString(), L"de", label), LabelImport::NothingAssigned);
}

namespace {

// The label dialog with its message boxes recorded instead of shown.
class RecordingLabelEdit : public CZunLabelEdit {
public:
    int MessageBoxW(const wchar_t* text, const wchar_t*, unsigned type) override
    {
        shown.append(CZunString(text));
        types.append(type);
        return 1;
    }
    CZunArrayTempl<CZunString> shown;
    CZunArrayTempl<unsigned> types;
};

} // namespace

TEST_F(MsgClient, TheLabelDialogsImportButtonShowsWhatHappened)
{
    RecordingLabelEdit dlg;
    dlg.m_msgFile = CZunString::fromUtf8(ZUN_SOURCE_RES_DIR "/msg/zun_messages.json");
    dlg.m_label = L"\\de:alt";
    dlg.m_rowCountry = L"de";
    ASSERT_TRUE(dlg.Create());
    dlg.importFromServer();  // starts zun-msg with the file; nothing selected
    ASSERT_EQ(dlg.shown.len(), 1);
    EXPECT_EQ(dlg.shown.get(0), L"Kein Text ausgew\u00E4hlt");
    EXPECT_EQ(dlg.types.get(0), MB_ICONEXCLAMATION);

    IZunMsgDlg app(dispatchFromProgID(kMsgServerProgId));
    ASSERT_EQ(app.SearchKey(L"ZUN_PART_0003"), 1);
    dlg.importFromServer();
    ASSERT_EQ(dlg.shown.len(), 2);
    EXPECT_EQ(dlg.shown.get(1), L"Mehzeilige Texte nicht m\u00F6glich") << "a single-line dialog";

    ASSERT_EQ(app.SearchKey(L"ZUN_MFC_0009"), 1);
    dlg.importFromServer();
    EXPECT_EQ(dlg.shown.len(), 2) << "imported without a message";
    EXPECT_EQ(dlg.list()->GetItemText(0, 1), L"Bezeichnung");
    EXPECT_EQ(dlg.list()->GetItemText(1, 1), L"Label");
    EXPECT_EQ(label_get(dlg.list()->result(), L"en", false), L"Label");
    dlg.DestroyWindow();
}

// The start-and-wait and the failures, against the stand-in server.
struct StandinCase {
    const char* name;
    const char* mode;
    int tries;
    int intervalMs;
    bool found;
    int minTries;
    int maxTries;
};

class MsgStandin : public ::testing::TestWithParam<StandinCase> {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(QDBusConnection::sessionBus().isConnected()) << "run under dbus-run-session";
        ASSERT_FALSE(serverFromProgID(kStandin).isEmpty()) << "the stand-in's service file is missing";
    }
    CTestEnv m_progId{"ZUN_STANDIN_PROGID", "Zun_Test.Standin"};
    CTestEnv m_mode{"ZUN_STANDIN_MODE", GetParam().mode};
};

TEST_P(MsgStandin, WaitsWithinItsBound)
{
    const StandinCase& c = GetParam();
    msg_detail::RscWait wait;
    wait.tries = c.tries;
    wait.intervalMs = c.intervalMs;
    // The application keeps running its timers (and so painting) while it
    // waits, under the wait cursor.
    int ticks = 0;
    int ticksUnderWaitCursor = 0;
    QTimer ticker;
    QObject::connect(&ticker, &QTimer::timeout, [&] {
        ++ticks;
        const QCursor* cursor = QApplication::overrideCursor();
        ticksUnderWaitCursor += cursor && cursor->shape() == Qt::WaitCursor;
    });
    ticker.start(50);
    QElapsedTimer clock;
    clock.start();
    IDispatch* dispatch = msg_detail::rscAppDispatchWait(kStandin, wait);
    const qint64 ms = clock.elapsed();
    ticker.stop();
    EXPECT_GE(ticks, static_cast<int>(ms / 50) / 2) << "the event loop ran while waiting";
    EXPECT_EQ(ticksUnderWaitCursor, ticks);
    EXPECT_EQ(QApplication::overrideCursor(), nullptr) << "the wait cursor is gone afterwards";
    EXPECT_TRUE(wait.started);
    EXPECT_EQ(dispatch != nullptr, c.found);
    EXPECT_GE(wait.triesUsed, c.minTries);
    EXPECT_LE(wait.triesUsed, c.maxTries);
    EXPECT_LE(ms, static_cast<qint64>(c.tries) * c.intervalMs + 1000) << "the wait is bounded";
    if (dispatch) {
        IZunMsgDlg(dispatch).Close();
        EXPECT_TRUE(waitGone(kStandin, 5000));
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, MsgStandin,
    ::testing::Values(
        // The server's own bounds: registering after 2 s ends the loop after about four tries
        // (a little more when a loaded machine is slow to start the program).
        StandinCase{"LateServer", "late:2000", 40, 500, true, 4, 7},
        StandinCase{"NeverRegisters", "never", 6, 250, false, 6, 6}),
    [](const auto& info) { return std::string(info.param.name); });

struct FaultCase {
    const char* name;
    const char* mode;
};

class MsgStandinFault : public ::testing::TestWithParam<FaultCase> {
protected:
    CTestEnv m_progId{"ZUN_STANDIN_PROGID", "Zun_Test.Standin"};
    CTestEnv m_mode{"ZUN_STANDIN_MODE", GetParam().mode};
};

// A server that dies in a call or answers with the wrong types gives
// empty answers and a reason, at once rather than after the time-out.
TEST_P(MsgStandinFault, ReportsEmptyAnswers)
{
    msg_detail::RscWait wait;
    wait.tries = 20;
    wait.intervalMs = 100;
    IDispatch* dispatch = msg_detail::rscAppDispatchWait(kStandin, wait);
    ASSERT_NE(dispatch, nullptr);
    IZunMsgDlg app(dispatch);
    QElapsedTimer clock;
    clock.start();
    EXPECT_EQ(app.GetSelectedKey(), L"");
    EXPECT_FALSE(app.LastError().isEmpty());
    EXPECT_EQ(app.OpenFile(L"x.json"), 0);
    EXPECT_FALSE(app.LastError().isEmpty());
    EXPECT_EQ(app.GetMsg(L"K", L"de"), L"");
    EXPECT_FALSE(app.LastError().isEmpty());
    EXPECT_LT(clock.elapsed(), app.dispatch()->timeout()) << app.LastError().toUtf8();
    app.Close();
    EXPECT_TRUE(waitGone(kStandin, 5000));
}

INSTANTIATE_TEST_SUITE_P(Cases, MsgStandinFault,
                         ::testing::Values(FaultCase{"DiesInACall", "die"}, FaultCase{"WrongTypes", "bad"}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(MsgClientNoServer, UnknownProgIdGivesNullAtOnce)
{
    msg_detail::RscWait wait;
    QElapsedTimer clock;
    clock.start();
    EXPECT_EQ(msg_detail::rscAppDispatchWait(L"Zun_Test.Nobody", wait), nullptr);
    EXPECT_FALSE(wait.started);
    EXPECT_LT(clock.elapsed(), 1000);
    EXPECT_EQ(dispatchFromProgID(L"not a name"), nullptr);
    IZunMsgDlg empty;
    EXPECT_EQ(empty.GetSelectedKey(), L"");
    EXPECT_FALSE(empty.LastError().isEmpty());
}
