#include "host/desktop/zun_print_dialog.h"

#include "gdx/zun_gdx.h"
#include "render/qt/zun_export.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QMessageBox>
#include <QPainter>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QPushButton>
#include <QVBoxLayout>

namespace T = ZunHostTexts;

namespace {

constexpr double kMmPerInch = 25.4;

// The page's picture at resolution dots per inch: white paper with a grey
// edge, the printable area dotted, and the drawing in it.
QImage drawnPage(const CZunGDX& list, const CZunPrintExtents& extents, const CZunPrintSetup& setup,
                   double resolution)
{
    const QPageLayout layout = setup.pageLayout();
    const QRectF pageMm = layout.fullRect(QPageLayout::Millimeter);
    const QRectF areaMm = layout.paintRect(QPageLayout::Millimeter);
    const double dotsPerMm = resolution / kMmPerInch;
    const QSize pageSize((pageMm.size() * dotsPerMm).toSize());
    const QRect area(QPointF(areaMm.topLeft() * dotsPerMm).toPoint(), QSizeF(areaMm.size() * dotsPerMm).toSize());

    QImage drawing(area.size(), QImage::Format_RGB32);
    drawing.fill(Qt::white);
    CZunGDX page(list);
    page.zoomMtxSet(CZunMatrix3d());
    page.viewMtxSet(zunPrintViewMtx(extents, setup, area.width(), area.height(), resolution));
    zunPaintOnPaper(drawing, page);

    QImage picture(pageSize, QImage::Format_RGB32);
    picture.fill(Qt::white);
    QPainter painter(&picture);
    painter.drawImage(area.topLeft(), drawing);
    painter.setPen(QPen(Qt::gray, 0, Qt::DotLine));
    painter.drawRect(area.adjusted(0, 0, -1, -1));
    painter.setPen(QPen(Qt::darkGray, 0));
    painter.drawRect(picture.rect().adjusted(0, 0, -1, -1));
    return picture;
}

} // namespace

CZunPrintDialog::CZunPrintDialog(const CZunGDX& list, const CZunPrintSetup& setup, const QString& documentName,
                                 QWidget* parent)
    : QDialog(parent), m_list(std::make_unique<CZunGDX>(list)), m_extents(zunPrintExtents(list)),
      m_setup(setup), m_documentName(documentName)
{
    buildWidgets();
    m_texts.apply();
    showChoices();
    drawPage();
}

CZunPrintDialog::~CZunPrintDialog() = default;

void CZunPrintDialog::buildWidgets()
{
    m_texts.bind(this, T::kPrintTitle, [this](const QString& s) { setWindowTitle(s); });
    m_paper = new QComboBox;
    m_paper->addItems({QStringLiteral("A4"), QStringLiteral("A3")});
    m_orientation = new QComboBox;
    m_orientation->addItems({QString(), QString()});
    m_texts.bind(m_orientation, T::kPortrait, [this](const QString& s) { m_orientation->setItemText(0, s); });
    m_texts.bind(m_orientation, T::kLandscape, [this](const QString& s) { m_orientation->setItemText(1, s); });
    m_scale = new QComboBox;
    for (int scale : CZunPrintSetup::kScales)
        m_scale->addItem(QString(), scale);
    m_texts.bind(m_scale, T::kFit, [this](const QString& s) {
        for (int i = 0; i < m_scale->count(); ++i) {
            CZunPrintSetup shown;
            shown.scale = m_scale->itemData(i).toInt();
            m_scale->setItemText(i, shown.scaleText(s));
        }
    });
    for (QComboBox* box : {m_paper, m_orientation, m_scale})
        connect(box, &QComboBox::currentIndexChanged, this, &CZunPrintDialog::takeChoices);

    auto* form = new QFormLayout;
    auto* paperLabel = new QLabel;
    auto* orientationLabel = new QLabel;
    auto* scaleLabel = new QLabel;
    m_texts.bind(paperLabel, T::kPaper, [paperLabel](const QString& s) { paperLabel->setText(s); });
    m_texts.bind(orientationLabel, T::kOrientation,
                 [orientationLabel](const QString& s) { orientationLabel->setText(s); });
    m_texts.bind(scaleLabel, T::kScale, [scaleLabel](const QString& s) { scaleLabel->setText(s); });
    form->addRow(paperLabel, m_paper);
    form->addRow(orientationLabel, m_orientation);
    form->addRow(scaleLabel, m_scale);
    paperLabel->setBuddy(m_paper);
    orientationLabel->setBuddy(m_orientation);
    scaleLabel->setBuddy(m_scale);

    m_note = new QLabel;
    m_note->setWordWrap(true);
    m_note->setMinimumWidth(240);
    m_note->setObjectName(QStringLiteral("note"));
    auto* left = new QVBoxLayout;
    left->addLayout(form);
    left->addWidget(m_note);
    left->addStretch();

    m_page = new QLabel;
    m_page->setObjectName(QStringLiteral("page"));
    m_page->setFixedSize(kPictureSide + 8, kPictureSide + 8);
    m_page->setAlignment(Qt::AlignCenter);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close);
    auto* preview = buttons->addButton(QString(), QDialogButtonBox::ActionRole);
    auto* pdf = buttons->addButton(QString(), QDialogButtonBox::ActionRole);
    auto* print = buttons->addButton(QString(), QDialogButtonBox::AcceptRole);
    preview->setObjectName(QStringLiteral("preview"));
    pdf->setObjectName(QStringLiteral("pdf"));
    print->setObjectName(QStringLiteral("print"));
    print->setDefault(true);
    m_texts.bind(preview, T::kPrintPreview, [preview](const QString& s) { preview->setText(s); });
    m_texts.bind(pdf, T::kSavePdf, [pdf](const QString& s) { pdf->setText(s); });
    m_texts.bind(print, T::kPrint, [print](const QString& s) { print->setText(s); });
    connect(preview, &QPushButton::clicked, this, &CZunPrintDialog::showPreview);
    connect(pdf, &QPushButton::clicked, this, &CZunPrintDialog::askAndSavePdf);
    connect(print, &QPushButton::clicked, this, &CZunPrintDialog::askAndPrint);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* body = new QHBoxLayout;
    body->addLayout(left, 1);
    body->addWidget(m_page);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(body, 1);
    layout->addWidget(buttons);
    // The page's picture has a fixed size: a larger window would only
    // stretch the choices and leave the page small in an empty corner.
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

QString CZunPrintDialog::jobName() const
{
    return QFileInfo(m_documentName).fileName();
}

void CZunPrintDialog::setSetup(const CZunPrintSetup& setup)
{
    m_setup = setup;
    showChoices();
    drawPage();
}

void CZunPrintDialog::showChoices()
{
    m_showing = true;
    m_paper->setCurrentIndex(m_setup.paper == CZunPrintSetup::Paper::A3 ? 1 : 0);
    m_orientation->setCurrentIndex(m_setup.landscape ? 1 : 0);
    const int scale = m_scale->findData(m_setup.scale);
    m_scale->setCurrentIndex(scale >= 0 ? scale : m_scale->findData(CZunPrintSetup::kFit));
    m_setup.scale = m_scale->currentData().toInt();
    m_showing = false;
}

void CZunPrintDialog::takeChoices()
{
    if (m_showing)
        return;
    m_setup.paper = m_paper->currentIndex() == 1 ? CZunPrintSetup::Paper::A3 : CZunPrintSetup::Paper::A4;
    m_setup.landscape = m_orientation->currentIndex() == 1;
    m_setup.scale = m_scale->currentData().toInt();
    drawPage();
}

void CZunPrintDialog::drawPage()
{
    const QSizeF pageMm = m_setup.pageLayout().fullRect(QPageLayout::Millimeter).size();
    const double resolution = kPictureSide / std::max(pageMm.width(), pageMm.height()) * kMmPerInch;
    m_picture = drawnPage(*m_list, m_extents, m_setup, resolution);
    m_page->setPixmap(QPixmap::fromImage(m_picture));
    updateNote();
}

QString CZunPrintDialog::note() const
{
    if (m_extents.empty() || zunPrintFits(m_extents, m_setup))
        return QString();
    const QString shown = m_setup.scaleText(QString());
    const int fitting = zunPrintSmallestFittingScale(m_extents, m_setup);
    if (fitting == 0)
        return zunHostText(T::kPrintTooLargeAtAll).arg(shown);
    return zunHostText(T::kPrintTooLarge).arg(shown, QStringLiteral("1:%1").arg(fitting));
}

void CZunPrintDialog::updateNote()
{
    m_note->setText(note());
}

bool CZunPrintDialog::printOn(QPrinter& printer) const
{
    printer.setResolution(CZunPrintSetup::kResolution);
    printer.setPageLayout(m_setup.pageLayout());
    return zunPrintPage(printer, *m_list, m_setup);
}

void CZunPrintDialog::askAndPrint()
{
    QPrinter printer(QPrinter::HighResolution);
    printer.setDocName(jobName());
    printer.setPageLayout(m_setup.pageLayout());
    QPrintDialog ask(&printer, this);
    if (ask.exec() != QDialog::Accepted)
        return;
    if (!printOn(printer)) {
        tell(zunHostText(T::kPrintFailed), zunHostText(T::kPageNotPainted));
        return;
    }
    accept();
}

void CZunPrintDialog::showPreview()
{
    QPrinter printer(QPrinter::HighResolution);
    printer.setDocName(jobName());
    QPrintPreviewDialog preview(&printer, this);
    connect(&preview, &QPrintPreviewDialog::paintRequested, this, [this](QPrinter* p) { printOn(*p); });
    preview.exec();
}

bool CZunPrintDialog::savePdf(const QString& path)
{
    QString error;
    if (!zunPrintPdf(*m_list, m_setup, path, &error)) {
        tell(zunHostText(T::kPrintFailed), QStringLiteral("%1: %2").arg(path, error));
        return false;
    }
    return true;
}

void CZunPrintDialog::askAndSavePdf()
{
    const QString suggested = m_documentName.isEmpty() ? QStringLiteral("zun.pdf") : m_documentName + QStringLiteral(".pdf");
    const QString path =
        QFileDialog::getSaveFileName(this, zunHostText(T::kSavePdf), suggested, zunHostText(T::kFilterPdf));
    if (!path.isEmpty() && savePdf(path))
        accept();
}

void CZunPrintDialog::tell(const QString& title, const QString& text)
{
    if (m_messageHook)
        m_messageHook(title, text);
    else
        QMessageBox::warning(this, title, text);
}
