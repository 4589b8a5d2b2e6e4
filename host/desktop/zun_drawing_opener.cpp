#include "host/desktop/zun_drawing_opener.h"

#include "render/qt/zun_qstring.h"

#include <QFileInfo>
#include <QHBoxLayout>
#include <QKeySequence>
#include <QLabel>
#include <QProgressBar>
#include <QTimer>
#include <QToolButton>

#include <utility>

namespace T = ZunHostTexts;

namespace {

// Items copied and measured between two looks at the clock: a few
// milliseconds' work.
constexpr int kCopyStep = 2000;

// Makes a drawing the current one for as long as it lives: the current
// drawing's contents and the other's trade places and are traded back.
class CurrentFor {
public:
    explicit CurrentFor(ZUN::CZunDrawing& drawing) : m_drawing(drawing) { ZUN::drawingCurrent().swap(m_drawing); }
    ~CurrentFor() { ZUN::drawingCurrent().swap(m_drawing); }
    CurrentFor(const CurrentFor&) = delete;
    CurrentFor& operator=(const CurrentFor&) = delete;

private:
    ZUN::CZunDrawing& m_drawing;
};

} // namespace

CZunDrawingOpener::CZunDrawingOpener(QObject* parent) : QObject(parent) {}

CZunDrawingOpener::~CZunDrawingOpener() = default;

bool CZunDrawingOpener::start(const QString& path, ZUN::CDataFileError* error)
{
    cancel();
    if (!m_reader.open(toZun(path), error))
        return false;
    auto drawing = std::make_unique<ZUN::CZunDrawing>();
    m_reader.startDrawing(*drawing);
    const bool whole = m_reader.partCount() <= m_atOnce;
    // A small drawing is read before this returns, so that a malformed part
    // is told to the caller as an unreadable file is.
    m_warnings.clear();
    for (int i = 0; whole && i < m_reader.partCount(); ++i) {
        if (!m_reader.readPart(i, *drawing, error)) {
            m_reader.close();
            return false;
        }
        noteWarnings(*drawing->part(i), drawing->path());
    }
    ++m_generation;
    m_drawing = std::move(drawing);
    m_path = path;
    m_done = false;
    m_stats = SliceStats();
    m_shown = CZunGDX();
    m_shown.viewDirectionSet(toZun(m_direction));
    m_culling.start();
    m_copied = 0;
    {
        // The builder keeps the current drawing's address, whose contents
        // are the new drawing's while a slice runs.
        CurrentFor current(*m_drawing);
        m_builder = std::make_unique<CZunOverviewBuilder>(ZUN::drawingCurrent(), QFileInfo(path).completeBaseName(),
                                                          m_reader.partCount());
    }
    runSlice(whole);
    return true;
}

void CZunDrawingOpener::noteWarnings(const ZUN::CZunPart& part, const CZunString& file)
{
    std::vector<ZUN::CPartKeyWarning> found = ZUN::partKeyWarnings(part, file);
    m_warnings.insert(m_warnings.end(), found.begin(), found.end());
}

void CZunDrawingOpener::reset()
{
    m_warnings.clear();
    ++m_generation;
    m_builder.reset();
    m_drawing.reset();
    m_reader.close();
    m_shown = CZunGDX();
    m_copied = 0;
    m_done = false;
}

void CZunDrawingOpener::cancel()
{
    if (!m_builder)
        return;
    reset();
    emit cancelled();
}

void CZunDrawingOpener::fail(const ZUN::CDataFileError& error)
{
    reset();
    emit failed(fromZun(error.toString()));
}

int CZunDrawingOpener::partsDone() const
{
    return m_builder ? m_builder->partsDone() : 0;
}

int CZunDrawingOpener::partCount() const
{
    return m_builder ? m_builder->partCount() : 0;
}

bool CZunDrawingOpener::step(int& parts, int& items)
{
    if (!m_builder->finished()) {
        const int next = m_builder->partsDone();
        // During a slice the new drawing is the current drawing's object.
        ZUN::CZunDrawing& drawing = ZUN::drawingCurrent();
        if (next < m_builder->partCount() && drawing.partCount() <= next) {
            if (!m_reader.readPart(next, drawing, &m_failure)) {
                m_failed = true;
                return false;
            }
            noteWarnings(*drawing.part(next), drawing.path());
        }
        if (next < m_builder->partCount())
            ++parts;
        m_builder->next();
        return true;
    }
    // The viewer's copy of the overview: the items copied and measured a
    // piece at a time, by the list's own appending.
    const CZunArrayTempl<CZunDisplayItem>& from = m_builder->list().getDisplayList();
    const int count = std::min({from.len() - m_copied, m_sliceItems - items, kCopyStep});
    if (count <= 0)
        return false;
    CZunArrayTempl<CZunDisplayItem> piece;
    piece.reserve(count);
    for (int i = m_copied; i < m_copied + count; ++i)
        piece.append(from.get(i));
    m_shown.appendDisplayList(std::move(piece));
    m_culling.measureItems(m_shown, m_copied, m_copied + count);
    m_copied += count;
    items += count;
    return true;
}

bool CZunDrawingOpener::buildSlice(bool whole)
{
    int parts = 0;
    int items = 0;
    {
        CurrentFor current(*m_drawing);
        QElapsedTimer clock;
        clock.start();
        const auto full = [&] {
            return !whole && (clock.elapsed() >= m_slice.count() || parts >= m_sliceParts || items >= m_sliceItems);
        };
        while (!full() && step(parts, items)) {
        }
    }
    if (m_failed) {
        // Only now: the new drawing is no longer the current one's object.
        m_failed = false;
        fail(m_failure);
        return false;
    }
    ++m_stats.slices;
    m_stats.mostParts = std::max(m_stats.mostParts, parts);
    m_stats.mostItems = std::max(m_stats.mostItems, items);
    return m_builder->finished() && m_copied == m_builder->list().lenGet();
}

void CZunDrawingOpener::runSlice(bool whole)
{
    if (!m_builder)
        return;

    const quint64 generation = m_generation;
    if (buildSlice(whole)) {
        m_reader.close();
        emit progress(partCount(), partCount());
        if (whole) {
            m_done = true;
            emit finished();
            return;
        }
        // The window takes the drawing over in a turn of its own, not
        // after a slice's worth of work; the open runs until then.
        QTimer::singleShot(0, this, [this, generation] {
            if (generation != m_generation)
                return;
            m_done = true;
            emit finished();
        });
        return;
    }
    if (generation != m_generation)
        return;
    emit progress(partsDone(), partCount());
    // The next slice after the events that came meanwhile: paints, the
    // cancel button, another open.
    QTimer::singleShot(0, this, [this, generation] {
        if (generation == m_generation)
            runSlice();
    });
}

void CZunDrawingOpener::adopt(CZunGDX& overview, std::vector<CZunOverviewEntry>& entries, CZunGDX* shown,
                              QString* shownDirection, CZunGroupCulling* shownCulling,
                              std::vector<ZUN::CPartKeyWarning>* warnings)
{
    if (!m_done || !m_builder)
        return;
    ++m_generation;
    // The builder's drawing is the current drawing's object: once the
    // contents are traded for good, its list and parts are the current
    // drawing's overview.
    ZUN::drawingCurrent().swap(*m_drawing);
    overview = std::move(m_builder->list());
    entries = m_builder->takeEntries();
    if (shown)
        *shown = std::move(m_shown);
    if (shownDirection)
        *shownDirection = m_direction;
    if (shownCulling)
        *shownCulling = std::move(m_culling);
    if (warnings)
        *warnings = std::move(m_warnings);
    m_warnings.clear();
    m_culling.start();
    m_builder.reset();
    m_drawing.reset();
    m_shown = CZunGDX();
    m_copied = 0;
    m_done = false;
}

// ---- the status bar's progress ---------------------------------------------------

CZunOpenProgress::CZunOpenProgress(CZunDrawingOpener& opener, QWidget* parent) : QWidget(parent), m_opener(opener)
{
    m_label = new QLabel;
    m_bar = new QProgressBar;
    m_bar->setMaximumWidth(220);
    m_bar->setTextVisible(false);
    m_cancel = new QToolButton;
    m_cancel->setObjectName(QStringLiteral("cancelOpening"));
    // Escape cancels as well: the keyboard's way out of a long wait.
    m_cancel->setShortcut(QKeySequence(Qt::Key_Escape));
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_label);
    layout->addWidget(m_bar);
    layout->addWidget(m_cancel);
    retranslate();
    hide();
    connect(m_cancel, &QToolButton::clicked, &m_opener, &CZunDrawingOpener::cancel);
    connect(&m_opener, &CZunDrawingOpener::progress, this, &CZunOpenProgress::showProgress);
    connect(&m_opener, &CZunDrawingOpener::finished, this, &QWidget::hide);
    connect(&m_opener, &CZunDrawingOpener::cancelled, this, &QWidget::hide);
}

QString CZunOpenProgress::text() const
{
    return m_label->text();
}

void CZunOpenProgress::retranslate()
{
    m_cancel->setText(zunHostText(T::kCancelOpening));
    if (m_opener.isRunning())
        showProgress(m_opener.partsDone(), m_opener.partCount());
}

void CZunOpenProgress::showProgress(int done, int total)
{
    if (done >= total)
        return;
    m_label->setText(zunHostText(T::kOpeningParts)
                         .arg(QFileInfo(m_opener.path()).fileName())
                         .arg(done)
                         .arg(total));
    m_bar->setRange(0, total);
    m_bar->setValue(done);
    show();
}
