#include "ui/zun_dlg_template.h"

#include "ui_zun_dlg_100.h"
#include "ui_zun_dlg_200.h"
#include "ui_zun_dlg_2000.h"
#include "ui_zun_dlg_201.h"
#include "ui_zun_dlg_203.h"
#include "ui_zun_dlg_204.h"

#include <map>

namespace ZUN {

namespace {

struct ModuleTemplate {
    int id;
    DlgTemplateBuilder build;
};

// The module's templates, compiled from res/dialogs/zun_dlg_<id>.ui.
constexpr ModuleTemplate kModuleTemplates[] = {
    {100, &dlgTemplateFrom<Ui::ZunDlg100>},   // about box
    {200, &dlgTemplateFrom<Ui::ZunDlg200>},   // outline
    {201, &dlgTemplateFrom<Ui::ZunDlg201>},   // outline filter
    {203, &dlgTemplateFrom<Ui::ZunDlg203>},   // material selection
    {204, &dlgTemplateFrom<Ui::ZunDlg204>},   // label edit
    {2000, &dlgTemplateFrom<Ui::ZunDlg2000>}, // unit selection
};

DlgTemplateBuilder moduleBuilder(int id)
{
    for (const ModuleTemplate& t : kModuleTemplates) {
        if (t.id == id)
            return t.build;
    }
    return nullptr;
}

std::map<int, DlgTemplateBuilder>& addedTemplates()
{
    static std::map<int, DlgTemplateBuilder> added;
    return added;
}

DlgTemplateBuilder builderOf(int id)
{
    if (DlgTemplateBuilder build = moduleBuilder(id))
        return build;
    const auto it = addedTemplates().find(id);
    return it == addedTemplates().end() ? nullptr : it->second;
}

} // namespace

bool dlgTemplateBuild(int id, QWidget* root)
{
    DlgTemplateBuilder build = builderOf(id);
    if (!build || !root)
        return false;
    build(root);
    return true;
}

bool dlgTemplateExists(int id)
{
    return builderOf(id) != nullptr;
}

bool dlgTemplateRegister(int id, DlgTemplateBuilder builder)
{
    if (!builder || builderOf(id))
        return false;
    addedTemplates()[id] = builder;
    return true;
}

bool dlgTemplateUnregister(int id)
{
    return addedTemplates().erase(id) > 0;
}

} // namespace ZUN
