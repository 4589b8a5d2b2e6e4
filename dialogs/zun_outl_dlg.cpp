#include "dialogs/zun_outl_dlg.h"

#include "contracts/data/zun_app.h"
#include "contracts/data/zun_material.h"
#include "contracts/data/zun_msg.h"
#include "contracts/data/zun_outline.h"
#include "dialogs/zun_aboutbox.h"
#include "dialogs/zun_mat_tree_dlg.h"
#include "render/qt/zun_dplist_image.h"
#include "ui/zun_dlg_run.h"
#include "ui/zun_edit.h"

#include <QApplication>
#include <QComboBox>
#include <QEvent>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <cwchar>

namespace {

constexpr int kIdOutlineList = 5034;
constexpr int kIdFilter = 5012;
constexpr int kIdRange0 = 1059;
constexpr int kIdMaterial = 4004;
constexpr int kIdMaterialName = 4005;
constexpr int kIdBaseX = 5015;
constexpr int kIdBaseY = 5017;
constexpr int kIdParmName0 = 1080;
constexpr int kIdParmValue0 = 1070;
constexpr int kIdPreview = 5009;
constexpr int kIdFilterList = 5029;

constexpr int kRanges = 4;
// The parallelogram's angle is kept in degrees by the outline library.
constexpr int kDegreesOutline = 21;
constexpr int kDegreesParm = 2;
constexpr double kPi = 3.14159265358979323846;

// Flags of the fields: compact (no trailing zeros), auto unit, required.
constexpr unsigned short kParmFlags = ZUN::kFlagCompact;
constexpr unsigned short kBaseFlags = ZUN::kFlagRequired | ZUN::kFlagCompact | ZUN::kFlagAutoUnit;

// The parameter memory: per range index and outline key, the values last
// used. Lives as long as the module.
std::map<std::pair<int, int>, CZunArrayTempl<double>>& parmMemory()
{
    static std::map<std::pair<int, int>, CZunArrayTempl<double>> memory;
    return memory;
}

int defaultMaterialChooser(const ZUN::DlgEnvMatTree_st& env, CZunString& mat)
{
    return ZUN::dlgMatTree(env, mat);
}

ZUN::OutlineMaterialChooser g_materialChooser = nullptr;

// A default read as a number: a real or integer item, or a text that holds
// one number and nothing else; false otherwise.
bool readNumber(const CZunDataItem* parent, const CZunDataKey& key, double& value)
{
    if (!parent)
        return false;
    if (parent->get(value, key))
        return true;
    CZunString text;
    if (!parent->get(text, key))
        return false;
    const wchar_t* begin = text.c_str();
    wchar_t* end = nullptr;
    const double v = std::wcstod(begin, &end);
    if (end == begin)
        return false;
    while (*end == L' ' || *end == L'\t')
        ++end;
    if (*end != L'\0' || !std::isfinite(v))
        return false;
    value = v;
    return true;
}

// The default of a parameter for a range number 1 to 4: "VAL1" .. "VAL4",
// or "VAL" with the range as an integer key below it.
double parmDefault(const CZunDataItem* parm, int rangeNumber)
{
    double v = 0.0;
    if (readNumber(parm, CZunDataKey::format(L"VAL%d", rangeNumber), v))
        return v;
    if (readNumber(parm, CZunDataKey({CZunItemKey(L"VAL"), CZunItemKey(rangeNumber)}), v))
        return v;
    return 0.0;
}

QString qs(const CZunString& text) { return QString::fromStdWString(text.c_str()); }

} // namespace

namespace ZUN {

OutlineMaterialChooser setOutlineMaterialChooser(OutlineMaterialChooser chooser)
{
    OutlineMaterialChooser previous = g_materialChooser ? g_materialChooser : &defaultMaterialChooser;
    g_materialChooser = chooser;
    return previous;
}

int dlgOutline(const DlgEnv_st& env, outlineData& data, CZunDataItem* catalogue)
{
    if (!catalogue)
        return 0;
    return dlgRunModal<CZunOutlDlg>(
        env, kEnvAll,
        [&](CZunOutlDlg& dlg) {
            dlg.loadData(data);
            dlg.setCatalogue(catalogue);
        },
        [&](CZunOutlDlg& dlg) { dlg.saveData(data); });
}

} // namespace ZUN

// ---- filter dialog ------------------------------------------------------------------

namespace {

struct FilterEntry {
    const wchar_t* key;
    const wchar_t* def;
};
constexpr FilterEntry kFilterEntries[] = {
    {L"ZUN_OUTL_0101", L"*Grundformen"},
    {L"ZUN_OUTL_0102", L"Formen erweitert"},
    {L"ZUN_OUTL_0103", L"Sonderformen"},
    {L"ZUN_OUTL_0104", L"Bearbeitungen"},
};

} // namespace

CDlgFilterOutline::CDlgFilterOutline(QWidget* parent) : CZunDlg(201, parent) {}

void CDlgFilterOutline::addLangRsc()
{
    m_langKey[IDOK] = L"ZUN_OUTL_0002";
    m_langDef[IDOK] = L"OK";
    m_langKey[IDCANCEL] = L"ZUN_OUTL_0001";
    m_langDef[IDCANCEL] = L"Abbrechen";
}

bool CDlgFilterOutline::updLang()
{
    if (hasWindow()) {
        setWindowTitle(QString::fromStdWString(GetMsg(L"ZUN_OUTL_0100", L"Filter Konturen")));
        if (auto* list = qobject_cast<QListWidget*>(GetDlgItem(kIdFilterList))) {
            for (int i = 0; i < list->count() && i < 4; ++i)
                list->item(i)->setText(QString::fromStdWString(GetMsg(kFilterEntries[i].key, kFilterEntries[i].def)));
        }
    }
    return CZunDlg::updLang();
}

bool CDlgFilterOutline::OnInitDialog()
{
    if (auto* list = qobject_cast<QListWidget*>(GetDlgItem(kIdFilterList))) {
        list->clear();
        for (int i = 0; i < 4; ++i) {
            auto* item = new QListWidgetItem(QString::fromStdWString(kFilterEntries[i].def), list);
            item->setSelected((m_filter & (1 << i)) != 0);
        }
    }
    return CZunDlg::OnInitDialog();
}

void CDlgFilterOutline::OnOK()
{
    if (auto* list = qobject_cast<QListWidget*>(GetDlgItem(kIdFilterList))) {
        int mask = 0;
        for (int i = 0; i < list->count() && i < 4; ++i) {
            if (list->item(i)->isSelected())
                mask |= 1 << i;
        }
        m_filter = mask;
    }
    CZunDlg::OnOK();
}

// ---- outline dialog -----------------------------------------------------------------

CZunOutlDlg::CZunOutlDlg(QWidget* parent) : CZunDlg(200, parent)
{
    m_unit = ZUN::acad_unit_get();
    m_list = qobject_cast<QComboBox*>(GetDlgItem(kIdOutlineList));
    m_baseX = qobject_cast<CZunEdit*>(GetDlgItem(kIdBaseX));
    m_baseY = qobject_cast<CZunEdit*>(GetDlgItem(kIdBaseY));
    m_preview = qobject_cast<CZunVllImage*>(GetDlgItem(kIdPreview));
    for (int j = 0; j < kMaxShownParms; ++j) {
        m_names[j] = qobject_cast<QPushButton*>(GetDlgItem(kIdParmName0 + j));
        m_values[j] = qobject_cast<CZunEdit*>(GetDlgItem(kIdParmValue0 + j));
        if (m_values[j])
            connect(m_values[j], &CZunEdit::killFocus, this, [this, j](bool refused) {
                if (!refused)
                    parameterLeft(j);
            });
    }
    if (m_baseX)
        connect(m_baseX, &CZunEdit::killFocus, this, [this](bool refused) {
            if (!refused)
                basePointLeft(0);
        });
    if (m_baseY)
        connect(m_baseY, &CZunEdit::killFocus, this, [this](bool refused) {
            if (!refused)
                basePointLeft(1);
        });
    if (m_preview)
        m_preview->installEventFilter(this);
    if (m_list)
        connect(m_list, &QComboBox::currentIndexChanged, this, [this] {
            if (!m_loading)
                loadSelectedOutline();
        });
    EnableAboutCommand(&CAboutboxDlg::Show);
}

CZunOutlDlg::~CZunOutlDlg() = default;

CZunArrayTempl<double> CZunOutlDlg::rememberedParms(int rangeIndex, int outline)
{
    const auto it = parmMemory().find({rangeIndex, outline});
    return it == parmMemory().end() ? CZunArrayTempl<double>() : it->second;
}

void CZunOutlDlg::clearParmMemory() { parmMemory().clear(); }

void CZunOutlDlg::loadData(const ZUN::outlineData& data)
{
    m_range = std::clamp(data.range - 1, 0, kRanges - 1);
    m_filter = data.filter;
    m_outline = data.outline;
    m_txtGen = data.txtGen;
    m_basePoints[{m_range, m_outline}] = data.basePt;
    m_parms = data.parms;
    m_unit = data.unit;
    if (!data.material.isEmpty())
        m_material = data.material;
}

void CZunOutlDlg::saveData(ZUN::outlineData& data) const
{
    data.range = m_range + 1;
    data.filter = m_filter;
    data.outline = m_outline;
    data.txtGen = m_txtGen;
    data.basePt = basePointOf(m_range, m_outline);
    data.parms = m_parms;
    data.unit = static_cast<ZUN::lUnit>(m_unit);
    if (!m_material.isEmpty())
        data.material = m_material;
}

int CZunOutlDlg::DoModal()
{
    if (!m_catalogue || !m_catalogue->isDir())
        return IDCANCEL;
    if (m_catalogue->childCount() == 0)
        ZUN::zunOutlineInit(m_catalogue);
    return CZunDlg::DoModal();
}

void CZunOutlDlg::addLangRsc()
{
    m_langKey[IDOK] = L"ZUN_OUTL_0002";
    m_langDef[IDOK] = L"OK";
    m_langKey[IDCANCEL] = L"ZUN_OUTL_0001";
    m_langDef[IDCANCEL] = L"Abbrechen";
    m_langKey[5010] = L"ZUN_OUTL_0003";
    m_langDef[5010] = L"Auswahl";
    m_langKey[kIdFilter] = L"\\ZUN_OUTL_0004\\...";
    m_langDef[kIdFilter] = L"Filter";
    m_langKey[5008] = L"ZUN_OUTL_0005";
    m_langDef[5008] = L"Basispunkt";
    m_langKey[5013] = L"ZUN_OUTL_0006";
    m_langDef[5013] = L"Parameter";
    m_langKey[5011] = L"ZUN_OUTL_0066";
    m_langDef[5011] = L"Bereich";
}

bool CZunOutlDlg::updLang()
{
    if (!hasWindow())
        return CZunDlg::updLang();
    setWindowTitle(QString::fromStdWString(GetMsg(L"ZUN_OUTL_0000", L"Kontur")));
    const bool done = CZunDlg::updLang();
    // Names of outlines and parameters come from the catalogue in the
    // dialog's language.
    if (m_ready) {
        fillOutlineList();
        loadSelectedOutline();
        showMaterial();
    }
    return done;
}

bool CZunOutlDlg::OnInitDialog()
{
    if (!CZunDlg::OnInitDialog())
        return false;
    if (m_preview)
        m_preview->SetBkColor(zunAppPtr()->bkColorGet());
    showMaterial();
    if (auto* radio = qobject_cast<QAbstractButton*>(GetDlgItem(kIdRange0 + m_range)))
        radio->setChecked(true);
    for (CZunEdit* field : {m_baseX, m_baseY}) {
        if (!field)
            continue;
        field->setEditFlags(CZunEdit::kLength, kBaseFlags, 3, -DBL_MAX, DBL_MAX);
        field->setFormat(-1);
        field->setLUnits(m_unit, m_unit);
    }
    fillOutlineList();
    loadSelectedOutline();
    m_ready = true;
    if (m_list)
        m_list->setFocus();
    return true;
}

void CZunOutlDlg::OnCommand(int id)
{
    if (id >= kIdRange0 && id < kIdRange0 + kRanges)
        selectRange(id - kIdRange0);
    else if (id >= kIdParmName0 && id < kIdParmName0 + kMaxShownParms)
        toggleSign(id - kIdParmName0);
    else if (id == kIdFilter)
        openFilter();
    else if (id == kIdMaterial)
        chooseMaterial();
    else
        CZunDlg::OnCommand(id);
}

void CZunOutlDlg::OnOK()
{
    auto* typing = qobject_cast<CZunEdit*>(focusWidget());
    if (typing && typing->hasFocus()) {
        if (QWidget* ok = GetDlgItem(IDOK))
            ok->setFocus(Qt::OtherFocusReason);
        if (typing->hasFocus())
            return;
    }
    CZunDlg::OnOK();
}

bool CZunOutlDlg::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_preview && event->type() == QEvent::Resize) {
        m_preview->zoomExtents();
        m_preview->update();
    }
    return CZunDlg::eventFilter(watched, event);
}

CZunString CZunOutlDlg::outlineText(const CZunString& labelOrKey)
{
    // A composite label ("\de:Rechteck\en:Rectangle") carries its own
    // languages; anything else is a message key.
    const wchar_t* text = labelOrKey.c_str();
    if (text[0] == L'\\') {
        const wchar_t* next = std::wcschr(text + 1, L'\\');
        const wchar_t* colon = std::wcschr(text + 1, L':');
        if (colon && (!next || colon < next))
            return ZUN::label_get(labelOrKey, country());
    }
    return GetMsg(text, text);
}

void CZunOutlDlg::fillOutlineList()
{
    if (!m_list || !m_catalogue)
        return;
    m_loading = true;
    m_list->clear();
    int selected = -1;
    for (int i = 0; i < m_catalogue->childCount(); ++i) {
        const CZunDataItem* child = m_catalogue->childAt(i);
        if (!child || !child->isDir() || !child->getKey().isInt())
            continue;
        int code = 0;
        child->get(code, L"CODE");
        if ((code & m_filter) == 0)
            continue;
        CZunString label;
        child->get(label, L"LABEL");
        const int key = static_cast<int>(child->getKey().num());
        m_list->addItem(qs(outlineText(label)), key);
        if (key == m_outline)
            selected = m_list->count() - 1;
    }
    if (selected < 0 && m_list->count() > 0)
        selected = 0;
    // An empty list says why, and where to change it: otherwise the dialog
    // shows blank fields with nothing to explain them.
    m_list->setPlaceholderText(
        qs(CZunString(GetMsg(L"ZUN_OUTL_0105", L"Keine Kontur in den gewählten Kategorien (Filter...)"))));
    m_list->setCurrentIndex(selected);
    m_loading = false;
}

const CZunDataItem* CZunOutlDlg::currentOutlineItem() const
{
    return m_catalogue ? m_catalogue->getItem(CZunDataKey(m_outline)) : nullptr;
}

CZunPoint3d CZunOutlDlg::basePointOf(int range, int key) const
{
    const auto it = m_basePoints.find({range, key});
    return it == m_basePoints.end() ? CZunPoint3d() : it->second;
}

void CZunOutlDlg::rememberCurrent()
{
    // An empty list says nothing was entered: it does not wipe values the
    // memory already holds for this outline.
    if (!m_parms.isEmpty())
        parmMemory()[{m_range, m_outline}] = m_parms;
}

void CZunOutlDlg::loadSelectedOutline()
{
    if (!m_list || m_list->currentIndex() < 0)
        return;
    rememberCurrent();
    m_outline = m_list->currentData().toInt();
    m_parms = rememberedParms(m_range, m_outline);
    const CZunDataItem* outline = currentOutlineItem();
    int n = 0;
    if (outline) {
        outline->get(m_txtGen, L"TXTGEN");
        outline->get(n, L"PARMS");
    }
    int found = 0;
    for (int j = 0; j < n; ++j) {
        const CZunDataItem* parm = outline->getItem(CZunDataKey::format(L"PARM%d", j + 1));
        if (!parm || !parm->isDir())
            break;
        loadParameter(parm, j);
        found = j + 1;
    }
    showParmCount(found);
    showBasePoint();
    redrawPreview();
}

void CZunOutlDlg::loadParameter(const CZunDataItem* parm, int j)
{
    if (m_parms.len() <= j) {
        while (m_parms.len() < j)
            m_parms.append(0.0);
        m_parms.append(parmDefault(parm, m_range + 1));
    }
    while (m_signs.len() <= j)
        m_signs.append(1);
    CZunString label;
    CZunString minus;
    parm->get(label, L"LABEL");
    const bool hasSign = parm->get(minus, L"MINUSP");
    int valid = 0;
    parm->get(valid, L"VALID");  // read with the parameter, of no further use
    (void)valid;
    const double value = m_parms[j];
    if (hasSign)
        m_signs[j] = value > 0.0 ? 1 : value < 0.0 ? -1 : 0;
    else
        m_signs[j] = 1;
    if (j >= kMaxShownParms)
        return;  // kept as they are, not shown

    ParmView& view = m_views[j];
    view.hasSign = hasSign;
    view.degrees = m_outline == kDegreesOutline && j == kDegreesParm;
    if (QPushButton* button = m_names[j]) {
        button->setText(qs(outlineText(hasSign && m_signs[j] < 0 ? minus : label)));
        button->setFlat(!hasSign);
        // A flat name does nothing and shows no focus: Tab passes it by
        // and goes on to the field, as from a label.
        button->setFocusPolicy(hasSign ? Qt::StrongFocus : Qt::NoFocus);
    }
    CZunEdit* field = m_values[j];
    if (!field)
        return;
    CZunString type;
    parm->get(type, L"TYPE");
    const bool angle = type == L"A";
    field->setEditFlags(angle ? CZunEdit::kAngle : CZunEdit::kLength,
                        angle ? kParmFlags : static_cast<unsigned short>(kParmFlags | ZUN::kFlagAutoUnit), 3);
    field->setFormat(-1);
    field->setLUnits(m_unit, m_unit);
    field->removeKeys();
    if (const CZunDataItem* words = parm->getItem(L"KWORD")) {
        for (int k = 0; k < words->childCount(); ++k) {
            const CZunDataItem* word = words->childAt(k);
            double v = 0.0;
            if (word && !word->isDir() && word->getKey().isText() && word->get(v))
                field->setKey(word->getKey().text().c_str(), v);
        }
    }
    double shown = hasSign ? std::fabs(value) : value;
    if (view.degrees)
        shown *= kPi / 180.0;
    field->setVal(shown);
}

void CZunOutlDlg::showParmCount(int n)
{
    // The parameters found decide the list's length; beyond six they are
    // kept but not shown.
    while (m_parms.len() > n)
        m_parms.removeAt(m_parms.len() - 1);
    while (m_signs.len() > n)
        m_signs.removeAt(m_signs.len() - 1);
    for (int j = 0; j < kMaxShownParms; ++j) {
        const bool shown = j == 0 || j < n;
        if (m_names[j])
            m_names[j]->setVisible(shown);
        if (m_values[j])
            m_values[j]->setVisible(shown);
    }
    // The first pair stays even without parameters; then it offers nothing.
    if (n == 0) {
        if (m_names[0]) {
            m_names[0]->setText(QString());
            m_names[0]->setFlat(true);
            m_names[0]->setFocusPolicy(Qt::NoFocus);
        }
        if (m_values[0])
            m_values[0]->setText(QString());
    }
    if (m_names[0])
        m_names[0]->setEnabled(n > 0);
    if (m_values[0])
        m_values[0]->setEnabled(n > 0);
}

void CZunOutlDlg::showBasePoint()
{
    const CZunPoint3d base = basePointOf(m_range, m_outline);
    if (m_baseX)
        m_baseX->setVal(-base.x);
    if (m_baseY)
        m_baseY->setVal(-base.y);
}

void CZunOutlDlg::redrawPreview()
{
    if (!m_preview)
        return;
    const CZunPoint3d base = basePointOf(m_range, m_outline);
    CZunArrayTempl<CZunVertexArray> polylines;
    CZunVertexArray outline = ZUN::g_outline(m_outline, CZunVector3d(base.x, base.y, base.z), m_parms);
    if (!outline.isEmpty())
        polylines.append(outline);
    m_preview->setVll(polylines);
}

void CZunOutlDlg::selectRange(int index)
{
    if (index < 0 || index >= kRanges || index == m_range)
        return;
    rememberCurrent();
    m_range = index;
    m_parms = rememberedParms(m_range, m_outline);
    // Loading remembers the current list under the new range: with nothing
    // remembered it is empty and the defaults of the range come in.
    loadSelectedOutline();
}

void CZunOutlDlg::toggleSign(int j)
{
    const CZunDataItem* outline = currentOutlineItem();
    if (!outline || j < 0 || j >= m_parms.len() || j >= kMaxShownParms)
        return;
    // Turning a negative value positive shows the plain name, anything
    // else (positive or zero) turns to the name for a negative value.
    const bool toPositive = m_signs[j] < 0;
    CZunString name;
    if (!outline->get(name, CZunDataKey::format(toPositive ? L"PARM%d\\LABEL" : L"PARM%d\\MINUSP", j + 1)))
        return;
    if (m_names[j])
        m_names[j]->setText(qs(outlineText(name)));
    m_signs[j] = toPositive ? 1 : -1;
    m_parms[j] = -m_parms[j];
    redrawPreview();
}

void CZunOutlDlg::parameterLeft(int j)
{
    if (j >= m_parms.len() || !m_values[j])
        return;
    double v = 0.0;
    if (!m_values[j]->getVal(v))
        return;
    if (m_views[j].degrees)
        v *= 180.0 / kPi;
    double value = v;
    if (m_views[j].hasSign) {
        // A typed minus turns the sign; a zero value takes the sign the
        // button shows now.
        const int sign = m_signs[j] < 0 ? -1 : 1;
        value = sign * v;
        if (value != 0.0) {
            const int now = value < 0.0 ? -1 : 1;
            if (v < 0.0) {
                m_values[j]->setVal(m_views[j].degrees ? std::fabs(v) * kPi / 180.0 : std::fabs(v));
                const CZunDataItem* outline = currentOutlineItem();
                CZunString name;
                if (outline &&
                    outline->get(name, CZunDataKey::format(now < 0 ? L"PARM%d\\MINUSP" : L"PARM%d\\LABEL", j + 1)) &&
                    m_names[j])
                    m_names[j]->setText(qs(outlineText(name)));
            }
            m_signs[j] = now;
        }
    }
    if (value == m_parms[j])
        return;
    m_parms[j] = value;
    redrawPreview();
}

void CZunOutlDlg::basePointLeft(int axis)
{
    CZunEdit* field = axis == 0 ? m_baseX : m_baseY;
    double v = 0.0;
    if (!field || !field->getVal(v))
        return;
    CZunPoint3d base = basePointOf(m_range, m_outline);
    double& coordinate = axis == 0 ? base.x : base.y;
    if (coordinate == -v)
        return;
    coordinate = -v;
    m_basePoints[{m_range, m_outline}] = base;
    redrawPreview();
}

void CZunOutlDlg::openFilter()
{
    CDlgFilterOutline filter(this);
    filter.SetCountry(country());
    CZunString helpFile;
    GetHelpFile(helpFile);
    if (!helpFile.isEmpty())
        filter.SetHelpFile(helpFile.c_str());
    filter.SetHelpTopic(m_helpTopic.c_str());
    filter.setFilter(m_filter);
    if (filter.DoModal() != IDOK)
        return;
    m_filter = filter.filter();
    fillOutlineList();
    loadSelectedOutline();
}

void CZunOutlDlg::chooseMaterial()
{
    ZUN::DlgEnvMatTree_st env;
    env.country = country();
    GetHelpFile(env.helpFile);
    env.helpTopic = m_helpTopic;
    env.hWndParent = this;
    env.matTypes.append(CZunString(L"SYSTEM"));
    CZunString key = m_material;
    ZUN::OutlineMaterialChooser chooser = g_materialChooser ? g_materialChooser : &defaultMaterialChooser;
    if (chooser(env, key) != 1)
        return;
    m_material = key;
    showMaterial();
}

void CZunOutlDlg::showMaterial()
{
    const bool offered = !m_material.isEmpty();
    QWidget* button = GetDlgItem(kIdMaterial);
    auto* label = qobject_cast<QLabel*>(GetDlgItem(kIdMaterialName));
    if (button)
        button->setVisible(offered);
    if (label) {
        label->setVisible(offered);
        label->setText(offered ? qs(CZunMatMgr().matLabel(m_material, country())) : QString());
    }
}
