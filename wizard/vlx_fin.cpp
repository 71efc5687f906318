// The last page: save the settings, open the result on exit.
#include "vlx_shel.h"

#include "g_f_dlg.h"
#include "g_marsh.h"
#include "g_wiz_sh.h"
#include "tk_except.h"
#include "tk_log.h"
#include "vlx_conv.h"

#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

const file_filter profile_filter = {"Vellix Profile (.vlx)\0*.vlx\0All Files (*.*)\0*.*\0",
                                    "Select Profile File"};

} // namespace

finish_page::finish_page()
{
    auto* title = new QLabel(QStringLiteral("Conversion is Completed"), this);
    set_control_id(title, 1313);
    set_title_font(1313); // now, so the frame is sized for it
    auto* done = new QLabel(QStringLiteral("Wizard has converted your PDF document into\nMS Word format "
                                           "successfully.\nClick 'Finish' to exit the wizard."),
                            this);
    auto* save = new QPushButton(QStringLiteral("&Save Settings..."), this);
    set_control_id(save, 1116);
    auto* hint = new QLabel(QStringLiteral("Select the checkbox below to open the resulting file\nwith default "
                                           "MS Word viewer installed on your system."),
                            this);
    auto* open = new plain_check_box(QStringLiteral("&Open on exit"), this);
    set_control_id(open, 1225);

    auto* box = new QVBoxLayout(this);
    box->addWidget(title);
    box->addWidget(done);
    box->addWidget(save, 0, Qt::AlignLeft);
    box->addStretch();
    box->addWidget(hint);
    box->addWidget(open);

    connect(save, &QPushButton::clicked, this, [this] { save_settings(); });
    connect(open, &QCheckBox::clicked, this, [this] {
        try {
            invert_chbox(1225);
        } catch (const std::exception& e) {
            wizard_shell::error(e.what());
        }
    });
}

bool finish_page::page_init()
{
    tk_log(1, "finish_page::page_init");
    auto* open = qobject_cast<QCheckBox*>(control(1225));
    tk_assert(open != nullptr, VLX_SHEL_UNIT, 607);
    open->setChecked(vellix_convertor::instance().open_on_exit);
    set_title_font(1313);
    wizard_shell::instance().enable_button(wizard_shell::ID_HELP, false);
    return true;
}

bool finish_page::on_finish()
{
    tk_log(1, "finish_page::on_finish");
    vellix_convertor& job = vellix_convertor::instance();
    auto* open = qobject_cast<QCheckBox*>(control(1225));
    const bool state = open && open->isChecked();
    job.open_on_exit = state;
    if (state)
        gui_open_file(job.dest);
    return true;
}

void finish_page::save_settings()
{
    tk_log(1, "finish_page::save_settings");
    try {
        save_file_dialog dlg(this, profile_filter, std::string(), "vlx");
        if (!dlg.show())
            return;
        // A profile that was not written must not pass for saved.
        if (!vellix_convertor::instance().store_profile(dlg.get_file_name()))
            wizard_shell::error("Cannot write the profile file " + dlg.get_file_name());
    } catch (const std::exception& e) {
        wizard_shell::error(e.what());
    }
}
