#include "vlx_conv.h"

#include "pdf_glob.h"
#include "tk_log.h"

vellix_convertor::vellix_convertor(form_t form) : form_(form)
{
    tk_log(2, "vellix_convertor::ctor(%s)", form == wizard_form ? "wizard" : "console");
    if (form_ == wizard_form)
        serialize(false);
    pdf_create_global_params();
}

vellix_convertor::~vellix_convertor()
{
    tk_log(2, "vellix_convertor::dtor");
    if (form_ == wizard_form && keep_settings) {
        try {
            serialize(true);
        } catch (...) {
            // a destructor must not throw; the settings are simply not kept
            tk_log(3, "vellix_convertor: settings could not be stored");
        }
    }
    pdf_delete_global_params();
    settings_key.close();
}

double vellix_convertor::get_progress() const
{
    const int count = page_count.load();
    const int done = current_page.load();
    if (run_done && done >= count)
        return 100; // also for a document without pages
    if (count <= 0 || done <= 0)
        return 0;
    // wide enough that done * 100 cannot wrap
    return double((static_cast<unsigned long long>(done) * 100u) /
                  static_cast<unsigned long long>(count));
}
