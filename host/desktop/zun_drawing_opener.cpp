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
    auto drawing = std::make_unique<ZUN::CZunDrawing>();
    if (!drawing->load(toZun(path), error))
        return false;
    ++m_generation;
    m_drawing = std::move(drawing);
    m_path = path;
    m_done = false;
    {
        // The builder keeps the current drawing's address, whose contents
        // are the new drawing's while a slice runs.
        CurrentFor current(*m_drawing);
        m_builder = std::make_unique<CZunOverviewBuilder>(ZUN::drawingCurrent(),
                                                          QFileInfo(path).completeBaseName());
    }
    runSlice(m_drawing->partCount() <= m_atOnce);
    return true;
}

void CZunDrawingOpener::cancel()
{
    if (!m_builder)
        return;
    ++m_generation;
    m_builder.reset();
    m_drawing.reset();
    m_done = false;
    emit cancelled();
}

int CZunDrawingOpener::partsDone() const
{
    return m_builder ? m_builder->partsDone() : 0;
}

int CZunDrawingOpener::partCount() const
{
    return m_builder ? m_builder->partCount() : 0;
}

bool CZunDrawingOpener::buildSlice(bool whole)
{
    CurrentFor current(*m_drawing);
    QElapsedTimer clock;
    clock.start();
    while (m_builder->next())
        if (!whole && clock.elapsed() >= m_slice.count())
            return m_builder->finished();
    return true;
}

void CZunDrawingOpener::runSlice(bool whole)
{
    if (!m_builder)
        return;
    if (buildSlice(whole)) {
        m_done = true;
        emit progress(partCount(), partCount());
        emit finished();
        return;
    }
    emit progress(partsDone(), partCount());
    // The next slice after the events that came meanwhile: paints, the
    // cancel button, another open.
    const quint64 generation = m_generation;
    QTimer::singleShot(0, this, [this, generation] {
        if (generation == m_generation)
            runSlice();
    });
}

void CZunDrawingOpener::adopt(CZunGDX& overview, std::vector<CZunOverviewEntry>& entries)
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
    m_builder.reset();
    m_drawing.reset();
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
