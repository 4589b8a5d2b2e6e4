#pragma once

#include <QPointer>
#include <QString>

#include <functional>
#include <vector>

class QAction;
class QMenu;

// Texts of the desktop host by message key, German written here as the
// default, other languages from the message catalogues (msg/<code>.json).
struct CZunHostText {
    const char* key;
    const char* german;
};

// A text that stands for a reader's own English wording (why a file cannot
// be read): the wording it is found by and the text said instead.
struct CZunHostReasonText {
    const char* english;
    CZunHostText text;
};

namespace ZunHostTexts {
// Menus and actions.
inline constexpr CZunHostText kMenuFile{"ZUN_HOST_0001", "&Datei"};
inline constexpr CZunHostText kMenuView{"ZUN_HOST_0002", "&Ansicht"};
inline constexpr CZunHostText kMenuLanguage{"ZUN_HOST_0003", "&Sprache"};
inline constexpr CZunHostText kOpenDrawing{"ZUN_HOST_0004", "Zeichnung öffnen …"};
inline constexpr CZunHostText kOpenSlide{"ZUN_HOST_0005", "Dia öffnen …"};
inline constexpr CZunHostText kOpenLibrary{"ZUN_HOST_0006", "Dia-Bibliothek öffnen …"};
inline constexpr CZunHostText kOpenPicture{"ZUN_HOST_0007", "Bild öffnen …"};
inline constexpr CZunHostText kRecentFiles{"ZUN_HOST_0008", "Zuletzt geöffnet"};
inline constexpr CZunHostText kExportPng{"ZUN_HOST_0009", "Als PNG exportieren …"};
inline constexpr CZunHostText kExportSvg{"ZUN_HOST_0010", "Als SVG exportieren …"};
inline constexpr CZunHostText kExportPdf{"ZUN_HOST_0011", "Als PDF exportieren …"};
inline constexpr CZunHostText kExportEmf{"ZUN_HOST_0012", "Als EMF exportieren …"};
inline constexpr CZunHostText kCopy{"ZUN_HOST_0013", "Kopieren"};
inline constexpr CZunHostText kQuit{"ZUN_HOST_0014", "Beenden"};
inline constexpr CZunHostText kFit{"ZUN_HOST_0015", "Einpassen"};
inline constexpr CZunHostText kViewDirection{"ZUN_HOST_0016", "Blickrichtung"};
inline constexpr CZunHostText kColorMode{"ZUN_HOST_0017", "Farbmodus"};
inline constexpr CZunHostText kHatch{"ZUN_HOST_0018", "Schraffur"};
inline constexpr CZunHostText kResetStyles{"ZUN_HOST_0045", "Farben und Schraffuren zurücksetzen"};
inline constexpr CZunHostText kSmoothDisplay{"ZUN_HOST_0391", "Glatte Darstellung"};
inline constexpr CZunHostText kMenuHelp{"ZUN_HOST_0060", "&Hilfe"};
inline constexpr CZunHostText kFirstSteps{"ZUN_HOST_0061", "Erste Schritte"};
inline constexpr CZunHostText kFirstStepsText{
    "ZUN_HOST_0062",
    "Links stehen die Teile der offenen Zeichnung: ein Klick zeigt ein Teil, die Zeichnung selbst zeigt alle.\n"
    "Mausrad: zoomen. Mittlere Taste ziehen: verschieben, doppelklicken: einpassen.\n"
    "Linke Taste: eine Gruppe wählen; sie wird hervorgehoben und unten genannt.\n"
    "Farbmodus und Schraffur im Menü Ansicht gelten für die gewählte Gruppe, sonst für alle."};

// The tree, the tabs and the status bar.
inline constexpr CZunHostText kTreeName{"ZUN_HOST_0026", "Name"};
inline constexpr CZunHostText kTreeType{"ZUN_HOST_0027", "Typ"};
inline constexpr CZunHostText kSlides{"ZUN_HOST_0020", "Dias"};
inline constexpr CZunHostText kPictures{"ZUN_HOST_0021", "Bilder"};
inline constexpr CZunHostText kTexts{"ZUN_HOST_0022", "Texte"};
inline constexpr CZunHostText kTabList{"ZUN_HOST_0023", "Darstellungsliste"};
inline constexpr CZunHostText kTabSlide{"ZUN_HOST_0024", "Dia"};
inline constexpr CZunHostText kTabPicture{"ZUN_HOST_0025", "Bild"};
inline constexpr CZunHostText kGroup{"ZUN_HOST_0028", "Gruppe"};
// Groups of items of one type are named by it.
inline constexpr CZunHostText kPolyline{"ZUN_HOST_0075", "Linienzug"};
inline constexpr CZunHostText kPoint{"ZUN_HOST_0076", "Punkt"};
inline constexpr CZunHostText kRegion{"ZUN_HOST_0077", "Fläche"};
inline constexpr CZunHostText kText{"ZUN_HOST_0078", "Text"};
inline constexpr CZunHostText kPictureItem{"ZUN_HOST_0079", "Bild"};
inline constexpr CZunHostText kPicked{"ZUN_HOST_0056", "Gewählt"};
inline constexpr CZunHostText kReady{"ZUN_HOST_0036", "Bereit"};
inline constexpr CZunHostText kParts{"ZUN_HOST_0059", "Teile"};
inline constexpr CZunHostText kNotDrawn{"ZUN_HOST_0064",
                                        "Nicht darstellbar: kein Generator für den Typ oder unvollständige Daten"};
inline constexpr CZunHostText kViewerTip{
    "ZUN_HOST_0057", "Mausrad: zoomen · mittlere Taste: verschieben · linke Taste: Gruppe wählen"};
inline constexpr CZunHostText kCopied{"ZUN_HOST_0035", "In die Zwischenablage kopiert"};
inline constexpr CZunHostText kExported{"ZUN_HOST_0037", "Exportiert"};
inline constexpr CZunHostText kToolbar{"ZUN_HOST_0065", "Werkzeuge"};

// Errors.
inline constexpr CZunHostText kOpenFailed{"ZUN_HOST_0029", "Datei kann nicht geöffnet werden"};
inline constexpr CZunHostText kBadDrawing{"ZUN_HOST_0030", "Die Zeichnung ist nicht lesbar."};
inline constexpr CZunHostText kBadSlide{"ZUN_HOST_0031", "Das Dia ist nicht lesbar."};
inline constexpr CZunHostText kBadLibrary{"ZUN_HOST_0032", "Die Dia-Bibliothek ist nicht lesbar."};
inline constexpr CZunHostText kBadPicture{"ZUN_HOST_0033", "Das Bild ist nicht lesbar."};
inline constexpr CZunHostText kExportFailed{"ZUN_HOST_0034", "Export fehlgeschlagen"};
inline constexpr CZunHostText kKeepsDrawing{"ZUN_HOST_0058", "Die offene Zeichnung bleibt unverändert."};
inline constexpr CZunHostText kPatternsMissing{"ZUN_HOST_0070", "Schraffurmuster nicht geladen"};
inline constexpr CZunHostText kNotASlide{"ZUN_HOST_0072",
                                         "Kein Dia: der Kopf ist zu kurz oder von unbekannter Stufe."};
inline constexpr CZunHostText kNoSlides{"ZUN_HOST_0073", "Die Bibliothek enthält kein lesbares Dia."};
inline constexpr CZunHostText kEmptyFile{"ZUN_HOST_0074", "Die Datei ist leer."};
inline constexpr CZunHostText kWrongKinds{"ZUN_HOST_0080", "Werte falscher Art, mit der Vorgabe gezeichnet"};

// The host's machining dialog.
inline constexpr CZunHostText kHoleTitle{"ZUN_HOST_0081", "Bearbeitungen"};
inline constexpr CZunHostText kHoleX{"ZUN_HOST_0082", "X"};
inline constexpr CZunHostText kHoleY{"ZUN_HOST_0083", "Y"};
inline constexpr CZunHostText kHoleDiameter{"ZUN_HOST_0084", "Durchmesser"};
inline constexpr CZunHostText kHoleDepth{"ZUN_HOST_0085", "Tiefe (0: durch)"};
inline constexpr CZunHostText kHoleSink{"ZUN_HOST_0086", "Senkung Ø"};
inline constexpr CZunHostText kHoleThread{"ZUN_HOST_0087", "Gewinde"};
inline constexpr CZunHostText kHoleAdd{"ZUN_HOST_0088", "Bohrung hinzufügen"};
inline constexpr CZunHostText kHoleRemove{"ZUN_HOST_0089", "Bohrung entfernen"};
inline constexpr CZunHostText kHoleBadRow{"ZUN_HOST_0090", "Zeile %1 (%2): diese Bohrung lässt sich nicht herstellen."};
inline constexpr CZunHostText kChoosePart{"ZUN_HOST_0092", "Teil wählen"};
inline constexpr CZunHostText kHoleNoEntity{"ZUN_HOST_0091", "Kein Lochbild gewählt: die Bearbeitungen brauchen ein Teil vom Typ HOLE."};

// Opening a large drawing and searching its parts.
inline constexpr CZunHostText kOpeningParts{"ZUN_HOST_0101", "Öffne %1: %2 von %3 Teilen"};
inline constexpr CZunHostText kCancelOpening{"ZUN_HOST_0102", "Abbrechen"};
inline constexpr CZunHostText kOpeningCancelled{"ZUN_HOST_0103",
                                                "Öffnen abgebrochen: %1. Die offene Zeichnung bleibt unverändert."};
inline constexpr CZunHostText kSearchParts{"ZUN_HOST_0104", "Teile suchen (Name oder Typ)"};

// Files dropped on the window.
inline constexpr CZunHostText kNotOpened{"ZUN_HOST_0389", "Nicht geöffnet"};
inline constexpr CZunHostText kOnlyThese{
    "ZUN_HOST_0390",
    "Zeichnungen (*.json), Dias (*.sld), Dia-Bibliotheken (*.slb) und Bilder (*.png *.jpg *.jpeg *.bmp *.gif *.ico "
    "*.svg *.emf) lassen sich öffnen, diese Dateien nicht:"};

// Zoom and pan from the menu and the keyboard.
inline constexpr CZunHostText kZoomWindow{"ZUN_HOST_0385", "Zoom-Fenster"};
inline constexpr CZunHostText kZoomIn{"ZUN_HOST_0386", "Vergrößern"};
inline constexpr CZunHostText kZoomOut{"ZUN_HOST_0387", "Verkleinern"};
// The menu's hint how to get a zoom window without the command.
inline constexpr CZunHostText kShiftDrag{"ZUN_HOST_0520", "Umschalt+Ziehen"};
inline constexpr CZunHostText kZoomWindowHint{"ZUN_HOST_0388",
                                              "Ein Rechteck mit der linken Maustaste aufziehen (Esc bricht ab)"};

// Names of the Texts node's groups.
inline constexpr CZunHostText kOutlineFont{"ZUN_HOST_0359", "Umrissschrift"};
inline constexpr CZunHostText kAlignments{"ZUN_HOST_0360", "Ausrichtung"};

// Saving and undoing.
inline constexpr CZunHostText kMenuEdit{"ZUN_HOST_0093", "&Bearbeiten"};
inline constexpr CZunHostText kUndo{"ZUN_HOST_0094", "Rückgängig"};
inline constexpr CZunHostText kRedo{"ZUN_HOST_0095", "Wiederholen"};
inline constexpr CZunHostText kSave{"ZUN_HOST_0096", "Speichern"};
inline constexpr CZunHostText kSaveAs{"ZUN_HOST_0097", "Speichern unter …"};
inline constexpr CZunHostText kSaveFailed{"ZUN_HOST_0098", "Speichern fehlgeschlagen"};
inline constexpr CZunHostText kKeepsFile{"ZUN_HOST_0099", "Die Datei auf der Platte bleibt, wie sie war."};
inline constexpr CZunHostText kAskSave{"ZUN_HOST_0100", "Die Zeichnung wurde geändert. Änderungen speichern?"};

// File dialog filters.
inline constexpr CZunHostText kFilterDrawings{"ZUN_HOST_0066", "Zeichnungen (*.json)"};
inline constexpr CZunHostText kFilterSlides{"ZUN_HOST_0067", "Dias (*.sld)"};
inline constexpr CZunHostText kFilterLibraries{"ZUN_HOST_0068", "Dia-Bibliotheken (*.slb)"};
inline constexpr CZunHostText kFilterPictures{"ZUN_HOST_0069",
                                              "Bilder (*.png *.jpg *.jpeg *.bmp *.gif *.ico *.svg *.emf)"};
inline constexpr CZunHostText kFilterAll{"ZUN_HOST_0071", "Alle Dateien (*)"};

// The Part menu, help and about.
inline constexpr CZunHostText kMenuPart{"ZUN_HOST_0200", "&Teil"};
inline constexpr CZunHostText kNewOutline{"ZUN_HOST_0201", "&Neues Umrissteil …"};
inline constexpr CZunHostText kMaterial{"ZUN_HOST_0202", "&Material …"};
inline constexpr CZunHostText kUnits{"ZUN_HOST_0203", "&Einheiten …"};
inline constexpr CZunHostText kLabel{"ZUN_HOST_0204", "&Bezeichnung …"};
inline constexpr CZunHostText kMachining{"ZUN_HOST_0205", "Bearbei&tungen …"};
inline constexpr CZunHostText kHelpContents{"ZUN_HOST_0206", "Hilfe"};
inline constexpr CZunHostText kAbout{"ZUN_HOST_0207", "Über Zun …"};
inline constexpr CZunHostText kTreeLabel{"ZUN_HOST_0208", "Bezeichnung"};
inline constexpr CZunHostText kStepNewOutline{"ZUN_HOST_0209", "Neues Umrissteil"};
inline constexpr CZunHostText kStepMaterial{"ZUN_HOST_0210", "Material ändern"};
inline constexpr CZunHostText kStepUnits{"ZUN_HOST_0211", "Einheit ändern"};
inline constexpr CZunHostText kStepLabel{"ZUN_HOST_0212", "Bezeichnung ändern"};
inline constexpr CZunHostText kStepMachining{"ZUN_HOST_0213", "Bearbeitungen ändern"};
inline constexpr CZunHostText kNoHelp{"ZUN_HOST_0214", "Die Hilfedatei ist nicht zu finden oder nicht zu öffnen."};
inline constexpr CZunHostText kPartAdded{"ZUN_HOST_0215", "Teil hinzugefügt"};
inline constexpr CZunHostText kUnitShown{"ZUN_HOST_0216", "Längen in"};

// Printing and page set-up.
inline constexpr CZunHostText kPrint{"ZUN_HOST_0420", "Drucken …"};
inline constexpr CZunHostText kPrintTitle{"ZUN_HOST_0421", "Drucken"};
inline constexpr CZunHostText kPaper{"ZUN_HOST_0422", "Papier"};
inline constexpr CZunHostText kOrientation{"ZUN_HOST_0423", "Ausrichtung"};
inline constexpr CZunHostText kPortrait{"ZUN_HOST_0424", "Hochformat"};
inline constexpr CZunHostText kLandscape{"ZUN_HOST_0425", "Querformat"};
inline constexpr CZunHostText kScale{"ZUN_HOST_0426", "Maßstab"};
inline constexpr CZunHostText kPrintPreview{"ZUN_HOST_0427", "Vorschau …"};
inline constexpr CZunHostText kSavePdf{"ZUN_HOST_0428", "Als PDF speichern …"};
inline constexpr CZunHostText kPrintTooLarge{"ZUN_HOST_0429", "Bei %1 ist die Zeichnung größer als das Papier; sie passt bei %2."};
inline constexpr CZunHostText kPrintTooLargeAtAll{"ZUN_HOST_0430", "Bei %1 ist die Zeichnung größer als das Papier und passt bei keinem der Maßstäbe: Einpassen wählen oder größeres Papier."};
inline constexpr CZunHostText kPrintFailed{"ZUN_HOST_0431", "Drucken fehlgeschlagen"};
inline constexpr CZunHostText kPageNotPainted{"ZUN_HOST_0432", "Die Seite lässt sich nicht zeichnen."};
inline constexpr CZunHostText kFilterPdf{"ZUN_HOST_0433", "PDF-Dateien (*.pdf)"};

// Measuring.
inline constexpr CZunHostText kMeasure{"ZUN_HOST_0435", "Messen"};
inline constexpr CZunHostText kMeasureFirst{"ZUN_HOST_0436", "Messen: ersten Punkt klicken (Esc beendet)"};
inline constexpr CZunHostText kMeasureSecond{"ZUN_HOST_0437", "Messen: zweiten Punkt klicken (Esc verwirft den ersten)"};
inline constexpr CZunHostText kMeasureResult{"ZUN_HOST_0438", "Abstand %1 · ΔX %2 · ΔY %3 · Winkel %4°"};
inline constexpr CZunHostText kSnapEnd{"ZUN_HOST_0439", "Endpunkt"};
inline constexpr CZunHostText kSnapIntersection{"ZUN_HOST_0440", "Schnittpunkt"};
inline constexpr CZunHostText kSnapCenter{"ZUN_HOST_0441", "Zentrum"};
inline constexpr CZunHostText kSnapMid{"ZUN_HOST_0442", "Mittelpunkt"};

// The legend of colours and layers.
inline constexpr CZunHostText kLegend{"ZUN_HOST_0443", "Legende"};
inline constexpr CZunHostText kLegendColour{"ZUN_HOST_0444", "Farbe"};
inline constexpr CZunHostText kLegendLayers{"ZUN_HOST_0445", "Layer"};
inline constexpr CZunHostText kLegendItems{"ZUN_HOST_0446", "Elemente"};
inline constexpr CZunHostText kLegendNoColour{"ZUN_HOST_0447", "ohne Farbe"};
inline constexpr CZunHostText kLegendByBlock{"ZUN_HOST_0448", "nach Block"};
inline constexpr CZunHostText kLegendByLayer{"ZUN_HOST_0449", "nach Layer"};

// Picking, the picked element's description and the export of the view as
// shown. What a picked element is comes from its generator's data: "%1" is
// the name of the element; a line without a name leaves it out with its
// space.
inline constexpr CZunHostText kExportShown{"ZUN_HOST_0300", "Ansicht wie gezeigt exportieren …"};
inline constexpr CZunHostText kFilterExports{"ZUN_HOST_0301", "Bilder und Grafiken (*.png *.svg *.pdf *.emf)"};
inline constexpr CZunHostText kShellInfo{"ZUN_HOST_0302", "Schale %1: Dicke %2, Schraffur %3"};
inline constexpr CZunHostText kDrillInfo{"ZUN_HOST_0303", "Bohrung %1: Ø %2, Tiefe %3"};
inline constexpr CZunHostText kThreadInfo{"ZUN_HOST_0304", "Gewinde %1: %2, Kernloch Ø %3, Tiefe %4"};
inline constexpr CZunHostText kOutlineInfo{"ZUN_HOST_0305", "Umriss %1: Typ %2, %3"};
inline constexpr CZunHostText kContoursInfo{"ZUN_HOST_0306", "Konturen %1: %2"};
// Why a file cannot be read: the frames around the readers' reasons.
inline constexpr CZunHostText kReasonAtLine{"ZUN_HOST_0361", "Zeile %1, Spalte %2: %3"};
inline constexpr CZunHostText kReasonExpected{"ZUN_HOST_0362", "erwartet: %1 (bei %2)"};
inline constexpr CZunHostText kReasonMalformed{"ZUN_HOST_0363", "kein gültiges JSON: %1"};
inline constexpr CZunHostText kReasonCannotRead{"ZUN_HOST_0364", "die Datei kann nicht gelesen werden: %1"};
inline constexpr CZunHostText kReasonTooDeep{"ZUN_HOST_0365", "Objekte und Felder mehr als %1 Ebenen tief verschachtelt"};
inline constexpr CZunHostText kReasonNewerFormat{
    "ZUN_HOST_0366",
    "Zeichnungsformat Version %1 ist neuer als dieses Programm liest (bis %2); mit einer neueren Version öffnen"};
inline constexpr CZunHostText kReasonMember{"ZUN_HOST_0379", "das Element \"%1\""};
inline constexpr CZunHostText kReasonNonEmptyText{"ZUN_HOST_0383", "ein nicht leerer Text \"%1\""};
// The readers word their reasons in English; these are the whole reasons
// and the pieces of "expected ..." that the host says in its language, by
// the reader's wording, which is matched as it stands (zun_host_reasons.cpp).
inline constexpr CZunHostReasonText kReasonWholes[] = {
    {"The SVG drawing could not be read or has no size.",
     {"ZUN_HOST_0367", "Die SVG-Zeichnung ist nicht lesbar oder hat keine Größe."}},
    {"The metafile has no usable size.", {"ZUN_HOST_0368", "Die Metadatei hat keine verwendbare Größe."}},
    {"The metafile could not be converted for display.",
     {"ZUN_HOST_0369", "Die Metadatei lässt sich nicht zur Anzeige umwandeln."}},
};
inline constexpr CZunHostReasonText kReasonPieces[] = {
    {"a number", {"ZUN_HOST_0370", "eine Zahl"}},
    {"a value", {"ZUN_HOST_0371", "ein Wert"}},
    {"true or false", {"ZUN_HOST_0372", "true oder false"}},
    {"a directory object", {"ZUN_HOST_0373", "ein Verzeichnisobjekt"}},
    {"a short integer", {"ZUN_HOST_0374", "eine kurze Ganzzahl"}},
    {"an integer that fits 64 bits", {"ZUN_HOST_0375", "eine Ganzzahl, die in 64 Bit passt"}},
    {"a key given once in its directory",
     {"ZUN_HOST_0376", "ein Schlüssel, der in seinem Verzeichnis nur einmal vorkommt"}},
    {"a value kind", {"ZUN_HOST_0377", "eine Wertart"}},
    {"an array of points", {"ZUN_HOST_0378", "ein Feld von Punkten"}},
    {"a unit number", {"ZUN_HOST_0380", "eine Einheitennummer"}},
    {"an array of parts", {"ZUN_HOST_0381", "ein Feld von Teilen"}},
    {"a handle not used by another part", {"ZUN_HOST_0382", "ein Griff, den kein anderes Teil verwendet"}},
};
// Colour modes 0..5 and 15, in that order.
inline constexpr CZunHostText kColorModes[] = {
    {"ZUN_HOST_0038", "Eigene Farbe"}, {"ZUN_HOST_0039", "Hervorhebung"}, {"ZUN_HOST_0040", "Bezug"},
    {"ZUN_HOST_0041", "Achse"},        {"ZUN_HOST_0042", "Basis"},        {"ZUN_HOST_0043", "Hilfslinien"},
    {"ZUN_HOST_0044", "Kontrast"},
};

// View directions, in the order of their codes P N S O W NO NW SO SW.
inline constexpr const char* kViewCodes[] = {"P", "N", "S", "O", "W", "NO", "NW", "SO", "SW"};
inline constexpr CZunHostText kViewNames[] = {
    {"ZUN_HOST_0047", "Draufsicht"}, {"ZUN_HOST_0048", "Norden"},    {"ZUN_HOST_0049", "Süden"},
    {"ZUN_HOST_0050", "Osten"},      {"ZUN_HOST_0051", "Westen"},    {"ZUN_HOST_0052", "Nordost"},
    {"ZUN_HOST_0053", "Nordwest"},   {"ZUN_HOST_0054", "Südost"},    {"ZUN_HOST_0055", "Südwest"},
};
// Their short labels on the buttons, in the same order.
inline constexpr CZunHostText kViewLabels[] = {
    {"ZUN_HOST_0350", "P"},  {"ZUN_HOST_0351", "N"},  {"ZUN_HOST_0352", "S"},
    {"ZUN_HOST_0353", "O"},  {"ZUN_HOST_0354", "W"},  {"ZUN_HOST_0355", "NO"},
    {"ZUN_HOST_0356", "NW"}, {"ZUN_HOST_0357", "SO"}, {"ZUN_HOST_0358", "SW"},
};

// Why an export failed.
inline constexpr CZunHostText kUnknownFormat{"ZUN_HOST_0521", "unbekanntes Format „%1“ (png, svg, pdf, emf)"};
inline constexpr CZunHostText kNotWritten{"ZUN_HOST_0522", "die Datei kann nicht geschrieben werden"};
} // namespace ZunHostTexts

// The text in the current message language.
QString zunHostText(const CZunHostText& text);

// Remembers which widget shows which text, so that a change of language
// sets every text again in one call.
class CZunTextBinder {
public:
    using Setter = std::function<void(const QString&)>;

    void bind(QAction* action, const CZunHostText& text, const QString& suffix = QString());
    void bind(QMenu* menu, const CZunHostText& text);
    // Any other place a text goes; owner ends the binding when destroyed.
    void bind(QObject* owner, const CZunHostText& text, Setter setter);
    // Sets every bound text in the current language.
    void apply() const;

private:
    struct Binding {
        QPointer<QObject> owner;
        CZunHostText text;
        Setter setter;
    };
    std::vector<Binding> m_bindings;
};
