#pragma once

#include <QDialog>

// Dialog templates by id. The module's templates are Qt Designer files in
// res/dialogs (zun_dlg_<id>.ui) compiled into the library; building one
// puts the template's title, size, controls (each with its "dlgId") and
// layouts onto the dialog widget given.
namespace ZUN {

using DlgTemplateBuilder = void (*)(QWidget* root);

// Builds template id into root; false when no template has that id.
bool dlgTemplateBuild(int id, QWidget* root);
bool dlgTemplateExists(int id);

// Adds a template of the caller's own (an add-on's dialog, a test). The
// module's ids and ids already added are refused (false); ids from 9000 up
// are free for callers.
bool dlgTemplateRegister(int id, DlgTemplateBuilder builder);
// Removes a template added by dlgTemplateRegister.
bool dlgTemplateUnregister(int id);

// Builds a template from a Designer form class (what uic makes of a .ui
// file): dlgTemplateRegister(9001, &dlgTemplateFrom<Ui::MyDialog>).
// A form whose top level is a QDialog is built only onto a dialog.
template <class Form>
void dlgTemplateFrom(QWidget* root)
{
    Form form;
    if constexpr (requires(Form f, QWidget* w) { f.setupUi(w); }) {
        form.setupUi(root);
    } else if (auto* dialog = qobject_cast<QDialog*>(root)) {
        form.setupUi(dialog);
    }
}

} // namespace ZUN
