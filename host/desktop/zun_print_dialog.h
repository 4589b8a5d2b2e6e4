#pragma once

#include "host/desktop/zun_host_print.h"
#include "host/desktop/zun_host_texts.h"

#include <QDialog>
#include <QImage>

#include <memory>

class CZunGDX;
class QComboBox;
class QLabel;
class QPrinter;
class QPushButton;

// Page set-up and printing of a display list: paper (A4, A3), orientation
// and scale (1:1 to 1:50, or fitted), with the page drawn beside the
// choices as it will come out: the paper, its margins and the drawing at
// the chosen scale. A note says when the drawing is larger than the
// paper and at which scale it fits. From here the page goes to a printer
// (through the system's print dialog), to a print preview, or to a PDF
// file of the paper's size.
class CZunPrintDialog : public QDialog {
    Q_OBJECT
public:
    // The dialog works on a copy of list; documentName names the print job
    // and, with its folder when it has one, the PDF file it suggests.
    CZunPrintDialog(const CZunGDX& list, const CZunPrintSetup& setup, const QString& documentName,
                    QWidget* parent = nullptr);
    ~CZunPrintDialog() override;

    CZunPrintSetup setup() const { return m_setup; }
    // The print job's name: documentName without its folder.
    QString jobName() const;
    void setSetup(const CZunPrintSetup& setup);

    // The page as the dialog shows it, and the note under it (empty when
    // the drawing fits).
    const QImage& pagePicture() const { return m_picture; }
    QString note() const;

    // Prints one page on printer, set up for the chosen paper first; false
    // when the page could not be painted.
    bool printOn(QPrinter& printer) const;
    // Writes the page as a PDF file; false with the reason shown to the
    // user (or handed to the message hook) when it cannot be written.
    bool savePdf(const QString& path);

    // Where messages go instead of a message box (tests).
    void setMessageHook(std::function<void(const QString&, const QString&)> hook) { m_messageHook = std::move(hook); }

    QComboBox* paperBox() const { return m_paper; }
    QComboBox* orientationBox() const { return m_orientation; }
    QComboBox* scaleBox() const { return m_scale; }

    // The page picture's longer side, in pixels.
    static constexpr int kPictureSide = 320;

private:
    void buildWidgets();
    void takeChoices();
    void showChoices();
    void drawPage();
    void updateNote();
    void askAndPrint();
    void showPreview();
    void askAndSavePdf();
    void tell(const QString& title, const QString& text);

    std::unique_ptr<CZunGDX> m_list;
    CZunPrintExtents m_extents;
    CZunPrintSetup m_setup;
    QString m_documentName;
    QImage m_picture;
    CZunTextBinder m_texts;
    std::function<void(const QString&, const QString&)> m_messageHook;
    QComboBox* m_paper = nullptr;
    QComboBox* m_orientation = nullptr;
    QComboBox* m_scale = nullptr;
    QLabel* m_page = nullptr;
    QLabel* m_note = nullptr;
    bool m_showing = false;
};
