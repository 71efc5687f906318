// The settings page: the conversion mode and the pages to convert.
#include "vlx_shel.h"

#include "g_wiz_sh.h"
#include "tk_except.h"
#include "tk_log.h"
#include "vlx_conv.h"

#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QVBoxLayout>

#include <algorithm>
#include <cstring>

const char* const settings_page::EXACT_TEXT =
    "Preserve the original layout using MS Word boxes (frames). The resulting document is hard to edit.";
const char* const settings_page::FLOWING_TEXT =
    "Preserve text flow and make the resulting document easy to edit. In this mode MS Word document may "
    "differ from the original.";

namespace {

QRadioButton* radio(const wizard_page_base* page, int id)
{
    return qobject_cast<QRadioButton*>(page->control(id));
}

bool radio_checked(const wizard_page_base* page, int id)
{
    QRadioButton* r = radio(page, id);
    return r && r->isChecked();
}

} // namespace

settings_page::settings_page()
{
    set_header("Step 2 of 3", "Conversion settings");

    auto* box = new QVBoxLayout(this);
    box->addWidget(new QLabel(QStringLiteral("On this page you can specify the conversion settings."), this));

    auto* mode_group = new QGroupBox(QStringLiteral(" Conversion mode: "), this);
    auto* mode_box = new QVBoxLayout(mode_group);
    auto* exact = new QRadioButton(QStringLiteral("&Exact"), mode_group);
    set_control_id(exact, 1329);
    auto* flowing = new QRadioButton(QStringLiteral("&Flowing"), mode_group);
    set_control_id(flowing, 1330);
    auto* description = new QLabel(mode_group);
    set_control_id(description, 1403);
    description->setWordWrap(true);
    // The longer text now, so the frame is sized for it.
    description->setText(QString::fromUtf8(
        std::strlen(EXACT_TEXT) > std::strlen(FLOWING_TEXT) ? EXACT_TEXT : FLOWING_TEXT));
    mode_box->addWidget(exact);
    mode_box->addWidget(flowing);
    mode_box->addWidget(description);
    box->addWidget(mode_group);

    auto* range_group = new QGroupBox(QStringLiteral(" Page range to convert: "), this);
    auto* range_box = new QVBoxLayout(range_group);
    auto* all = new QRadioButton(QStringLiteral("&All"), range_group);
    set_control_id(all, 1331);
    auto* some = new QRadioButton(QStringLiteral("&Pages:"), range_group);
    set_control_id(some, 1332);
    auto* pages = new QLineEdit(range_group);
    set_control_id(pages, 1003);
    pages->setMaxLength(259);
    range_box->addWidget(all);
    range_box->addWidget(some);
    range_box->addWidget(pages);
    range_box->addWidget(
        new QLabel(QStringLiteral("Enter page numbers and/or pages ranges separated by commas."), range_group));
    range_box->addWidget(new QLabel(QStringLiteral("For example: 1,3,5-10"), range_group));
    box->addWidget(range_group);
    box->addStretch();

    for (QRadioButton* r : {exact, flowing, all, some}) {
        const int id = r->objectName().toInt();
        connect(r, &QRadioButton::clicked, this, [this, id] { on_radio(0, id); });
    }
}

bool settings_page::page_init()
{
    tk_log(1, "settings_page::page_init");
    const vellix_convertor& job = vellix_convertor::instance();
    const bool exact = job.physLayout_mode;
    radio(this, 1329)->setChecked(exact);
    radio(this, 1330)->setChecked(!exact);
    qobject_cast<QLabel*>(control(1403))->setText(QString::fromUtf8(exact ? EXACT_TEXT : FLOWING_TEXT));

    const std::string pages = job.pages;
    radio(this, 1331)->setChecked(pages.empty());
    radio(this, 1332)->setChecked(!pages.empty());
    enable_ctrl(1003, !pages.empty());
    if (!pages.empty()) {
        auto* edit = qobject_cast<QLineEdit*>(control(1003));
        const QString text = QString::fromStdString(pages);
        edit->setMaxLength(std::max(259, static_cast<int>(text.size())));
        edit->setText(text);
    }
    return true;
}

void settings_page::on_radio(int code, int id)
{
    tk_log(1, "settings_page::on_radio(%d)", id);
    if (id == 1331 || id == 1332)
        enable_ctrl(1003, id == 1332);
    else if (id == 1329 || id == 1330)
        qobject_cast<QLabel*>(control(1403))->setText(QString::fromUtf8(id == 1329 ? EXACT_TEXT : FLOWING_TEXT));
}

void settings_page::save()
{
    tk_log(1, "settings_page::save");
    vellix_convertor& job = vellix_convertor::instance();
    if (radio_checked(this, 1329)) {
        job.physLayout_mode = true;
        job.noframe_mode = false;
    } else if (radio_checked(this, 1330)) {
        job.noframe_mode = true;
        job.physLayout_mode = false;
    }
    if (radio_checked(this, 1331))
        job.set_page_range(std::string());
    else if (radio_checked(this, 1332))
        job.set_page_range(qobject_cast<QLineEdit*>(control(1003))->text().toStdString());
}

int settings_page::on_next()
{
    tk_log(1, "settings_page::on_next");
    try {
        save();
        return 0;
    } catch (const tk_exception& e) {
        wizard_shell::error(e.what());
        return -1;
    }
}

void settings_page::on_help()
{
    tk_log(1, "settings_page::on_help");
    wizard_shell::display_help(1016);
}
