// The first page: a greeting, the maker's link and loading a settings profile.
#include "vlx_shel.h"

#include "g_f_dlg.h"
#include "g_marsh.h"
#include "g_wiz_sh.h"
#include "pdf_name.h"
#include "tk_dest.h"
#include "tk_except.h"
#include "tk_log.h"
#include "tk_prof.h"
#include "vlx_conv.h"
#include "vlx_dest.h"

#include <QLabel>
#include <QPushButton>
#include <QUrl>
#include <QVBoxLayout>

namespace {

const file_filter profile_filter = {"Vellix Profile (.vlx)\0*.vlx\0All Files (*.*)\0*.*\0",
                                    "Select Profile File"};

} // namespace

void wizard_load_profile(vellix_convertor& job, const std::string& path, bool quick)
{
    tk_log(2, "wizard_load_profile(%s)", path.c_str());
    // Every failure names the file the user gave; internal errors stay as they are.
    auto fail = [&](const std::string& text) { throw tk_exception(path + ": " + text, 1); };
    auto naming = [&](auto step) {
        try {
            return step();
        } catch (const tk_exception& e) {
            if (e.level == 2)
                throw;
            fail(e.message);
        }
        return decltype(step())();
    };
    tk_profile profile;
    if (!naming([&] { return profile.load(path, vellix_convertor::profile_keys()); }))
        fail(VLX_NOT_A_PROFILE);
    if (quick) {
        // The names of an earlier run must not stand in for names the profile lacks.
        if (profile.get_value(TK_GENERIC_SECTION, "src").empty())
            fail("The profile names no source file.");
        if (profile.get_value(TK_GENERIC_SECTION, "dest").empty())
            fail("The profile names no destination file.");
    }
    // The wizard writes no log: the name is only kept, so that Save Settings gives it back.
    const std::string logfile = profile.get_value(TK_GENERIC_SECTION, "logfile");
    auto generic = profile.sections.find(TK_GENERIC_SECTION);
    if (generic != profile.sections.end())
        generic->second.erase("logfile");
    // Taken whole or not at all: every check runs on a copy, which the job takes at the end.
    vlx_profile_settings next =
        naming([&] { return job.read_profile_settings(profile, job.profile_files); });
    if (quick) {
        next.src = pdf_openable_name(next.src); // the name the checks and the run then see
        common_check_dest(next.dest, next.src);
        vlx_refuse_stream_dest(next.dest);
    }
    job.take_profile_settings(next);
    if (!logfile.empty())
        job.logfile = logfile;
}

welcome_page::welcome_page()
{
    auto* title = new QLabel(QStringLiteral("Welcome to the Vellix\nConversion Wizard\n"), this);
    set_control_id(title, 1337);
    set_title_font(1337); // now, so the frame is sized for it
    auto* intro = new QLabel(QStringLiteral("This wizard helps you to convert Adobe PDF documents\n"
                                            "into Microsoft Word format. Click 'Next' to continue."),
                             this);
    auto* load = new QPushButton(QStringLiteral("&Load Settings..."), this);
    set_control_id(load, 1115);
    hyperlink = new QLabel(QStringLiteral("Quorvane"), this);
    set_control_id(hyperlink, 1320);

    auto* box = new QVBoxLayout(this);
    box->addWidget(title);
    box->addWidget(intro);
    box->addStretch();
    box->addWidget(load, 0, Qt::AlignLeft);
    box->addWidget(hyperlink, 0, Qt::AlignLeft);

    connect(load, &QPushButton::clicked, this, [this] { load_settings(); });
}

bool welcome_page::page_init()
{
    tk_log(1, "welcome_page::page_init");
    set_title_font(1337);
    if (!hyperlink_attached) {
        hyperlink->setTextFormat(Qt::RichText);
        hyperlink->setText(QStringLiteral("<a href=\"%1\">Quorvane</a>").arg(VLX_MAKER_URL));
        hyperlink->setTextInteractionFlags(Qt::LinksAccessibleByMouse | Qt::LinksAccessibleByKeyboard);
        connect(hyperlink, &QLabel::linkActivated, this,
                [](const QString& link) { gui_open_url(QUrl(link)); });
        hyperlink_attached = true;
    }
    return true;
}

void welcome_page::on_help()
{
    tk_log(1, "welcome_page::on_help");
    wizard_shell::display_help(1012);
}

void welcome_page::load_settings()
{
    tk_log(1, "welcome_page::load_settings");
    // A profile that cannot be read is reported like any other page's error.
    try {
        open_file_dialog dlg(this, profile_filter, std::string());
        if (dlg.show())
            wizard_load_profile(vellix_convertor::instance(), dlg.get_file_name());
    } catch (const tk_exception& e) {
        wizard_shell::error(e.what());
    } catch (const std::exception& e) {
        wizard_shell::error(e.what());
    }
}
