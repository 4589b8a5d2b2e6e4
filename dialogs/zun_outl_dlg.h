#pragma once

#include "contracts/base/zun_array.h"
#include "contracts/base/zun_geometry.h"
#include "contracts/base/zun_string.h"
#include "contracts/data/zun_data_item.h"
#include "contracts/data/zun_units.h"
#include "ui/zun_dlg.h"
#include "ui/zun_dlg_env.h"

#include <map>
#include <utility>

class CZunEdit;
class CZunVllImage;
class QComboBox;
class QPushButton;

namespace ZUN {

// What the caller of the outline dialog hands in and gets back: the
// previous choice in, the new choice out on OK.
struct outlineData {
    int outline = 1;           // key of the outline in the catalogue
    int filter = 0xF;          // category bits listed (bit 0 to bit 3)
    int txtGen = 3;            // the chosen outline's "TXTGEN"
    int range = 3;             // 1 to 4: "1", "10", "100", "1000"
    CZunString material;       // material key; empty: no material choice
    CZunArrayTempl<double> parms;  // in the order of "PARM1", "PARM2", ...
    CZunPoint3d basePt;        // base point of the outline
    lUnit unit = kUnitMillimeter;  // unit of parms and basePt
};

// Lets the user choose an outline of the catalogue (a directory of the data
// tree, one child per outline under its integer key), its range, its
// parameters and its base point, with a preview. 0 when catalogue is null;
// else the modal result (IDOK 1, IDCANCEL 2, -1 when no dialog can run);
// data changes only on IDOK. An empty catalogue is first filled with the
// default outlines.
int dlgOutline(const DlgEnv_st& env, outlineData& data, CZunDataItem* catalogue);

// The material choice of the outline dialog's "..." button: the material
// selection dialog with the categories and the preset key of env and mat;
// 1 when a material was chosen into mat. The module's own material dialog
// by default; a host or a test may put another one in (null restores the
// default). Returns the one replaced.
using OutlineMaterialChooser = int (*)(const DlgEnvMatTree_st& env, CZunString& mat);
OutlineMaterialChooser setOutlineMaterialChooser(OutlineMaterialChooser chooser);

} // namespace ZUN

// The filter of the outline list (template 201): four categories in a
// multiple-selection list, entry i standing for bit i of the mask.
class CDlgFilterOutline : public CZunDlg {
    Q_OBJECT

public:
    explicit CDlgFilterOutline(QWidget* parent = nullptr);

    void setFilter(int mask) { m_filter = mask; }
    int filter() const { return m_filter; }

protected:
    void addLangRsc() override;
    bool updLang() override;
    bool OnInitDialog() override;
    void OnOK() override;

private:
    int m_filter = 0xF;
};

// The outline dialog (template 200). The parameter values of each range and
// outline last for the process (the parameter memory): switching ranges or
// outlines, and the next call of the dialog, show what was entered last.
class CZunOutlDlg : public CZunDlg {
    Q_OBJECT

public:
    static constexpr int kMaxShownParms = 6;

    explicit CZunOutlDlg(QWidget* parent = nullptr);
    ~CZunOutlDlg() override;

    // The caller's record in and out (see dlgOutline).
    void loadData(const ZUN::outlineData& data);
    void saveData(ZUN::outlineData& data) const;
    void setCatalogue(CZunDataItem* catalogue) { m_catalogue = catalogue; }

    // IDCANCEL without a window when the catalogue is null or no directory;
    // an empty catalogue is filled with the default outlines first.
    int DoModal() override;

    // The state shown (tests, hosts).
    int outline() const { return m_outline; }
    int rangeIndex() const { return m_range; }
    const CZunArrayTempl<double>& parms() const { return m_parms; }
    int sign(int j) const { return j >= 0 && j < m_signs.len() ? m_signs[j] : 0; }
    CZunPoint3d basePoint() const { return basePointOf(m_range, m_outline); }
    CZunVllImage* preview() const { return m_preview; }

    // The parameter memory of the process: the values last used per range
    // index (0 to 3) and outline key; empty when none.
    static CZunArrayTempl<double> rememberedParms(int rangeIndex, int outline);
    static void clearParmMemory();

protected:
    void addLangRsc() override;
    bool updLang() override;
    bool OnInitDialog() override;
    void OnCommand(int id) override;
    // A field still being typed in is left first, so that its entry is
    // checked and taken; a refused entry keeps the dialog open.
    void OnOK() override;
    // The preview is fitted again whenever its size changes.
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    struct ParmView {
        bool hasSign = false;
        bool degrees = false;  // remembered in degrees, shown as an angle
    };

    void fillOutlineList();
    void loadSelectedOutline();
    void loadParameter(const CZunDataItem* parm, int j);
    void showParmCount(int n);
    void showBasePoint();
    void redrawPreview();
    void selectRange(int index);
    void toggleSign(int j);
    void parameterLeft(int j);
    void basePointLeft(int axis);
    void openFilter();
    void chooseMaterial();
    void showMaterial();
    void rememberCurrent();
    // A catalogue text: a composite label in the dialog's language, else a
    // message key looked up (the key itself when unknown).
    CZunString outlineText(const CZunString& labelOrKey);
    const CZunDataItem* currentOutlineItem() const;
    CZunPoint3d basePointOf(int range, int key) const;

    CZunDataItem* m_catalogue = nullptr;
    int m_outline = 1;
    int m_filter = 0xF;
    int m_txtGen = 3;
    int m_range = 2;
    CZunArrayTempl<double> m_parms;
    CZunArrayTempl<int> m_signs;
    ParmView m_views[kMaxShownParms];
    std::map<std::pair<int, int>, CZunPoint3d> m_basePoints;
    CZunString m_material;
    int m_unit = ZUN::kUnitMillimeter;
    bool m_loading = false;
    bool m_ready = false;  // initialised: a language change reloads the names

    QComboBox* m_list = nullptr;
    CZunEdit* m_baseX = nullptr;
    CZunEdit* m_baseY = nullptr;
    QPushButton* m_names[kMaxShownParms] = {};
    CZunEdit* m_values[kMaxShownParms] = {};
    CZunVllImage* m_preview = nullptr;
};
