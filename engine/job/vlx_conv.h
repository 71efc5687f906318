#pragma once
// The conversion job: the user's settings, the progress of a running
// conversion, and keeping the settings in the settings store and in profiles.
#include "tk_conv.h"
#include "tk_regk.h"
#include "tk_singl.h"

#include <atomic>
#include <string>
#include <vector>

#include <cstdio>

class PDFDoc;
class RtfOutputDev;
class vlx_run_host;
class SplashOutputDev;
class tk_profile;

// Settings store key under the current user.
inline constexpr const char* VLX_SETTINGS_KEY = "Software\\Quorvane\\Vellix";
inline constexpr const char* VLX_INVALID_PAGE_RANGE = "Invalid page range";
inline constexpr const char* VLX_NO_PAGE_SELECTED = "None of the selected pages is in the document.";

// Limits that keep a page range from exhausting memory.
inline constexpr int VLX_MAX_RANGE_PAGES = 1000000;
inline constexpr size_t VLX_MAX_PAGE_LIST = 1000000;

struct tk_serializer {};

// The settings a profile gives the job. A profile is read into a copy of the job's, which the job
// takes only once every value in it has passed: a refused profile changes nothing.
struct vlx_profile_settings {
    std::string src, dest;
    std::string logfile; // the profile's own; empty when it names none
    std::string password, pages;
    std::vector<int> page_list;
    bool convert_graphics = true;
    bool no_crlf_mode = false;
    bool physLayout_mode = false;
    bool noframe_mode = true;
    bool tables_mode = false;
};

class vellix_convertor : public tk_converter,
                         public tk_singleton<vellix_convertor>,
                         public tk_serializer {
public:
    // The wizard's job loads its settings from the store on construction and
    // stores them on destruction; the console's never touches the store.
    enum form_t { wizard_form, console_form };

    tk_reg_key settings_key{VLX_SETTINGS_KEY};
    std::string pages;
    std::string password;
    bool convert_graphics = true;
    bool open_on_exit = true;
    bool noframe_mode = true;
    bool physLayout_mode = false;
    bool xp_mode = false;
    bool tables_mode = false;
    bool no_crlf_mode = false;
    int resolution = 150;
    std::vector<int> page_list;  // empty: all pages
    // written by the worker, read by the window thread's timer
    std::atomic<int> current_page{0};
    std::atomic<int> page_count{0};
    // The run's outcome: the document is complete and in place, or an error abandoned it.
    std::atomic<bool> run_done{false};
    std::atomic<bool> run_failed{false};
    // The wizard's side of the run; null in the console.
    vlx_run_host* host = nullptr;
    // Cleared when the wizard ends on an internal error: it keeps none of that session's settings.
    bool keep_settings = true;

    explicit vellix_convertor(form_t form = wizard_form);
    ~vellix_convertor() override;
    vellix_convertor(const vellix_convertor&) = delete;
    vellix_convertor& operator=(const vellix_convertor&) = delete;

    // The conversion itself.
    void run() override;
    void convert_page(RtfOutputDev& rtf, SplashOutputDev& raster, PDFDoc& doc, int page);
    // Where the run's own messages go: standard error when the document goes to standard output.
    FILE* message_stream() const;

    // Parses "1,3,5-10" into page_list; an empty text means all pages.
    // Throws a level-1 tk_exception "Invalid page range" at the first bad
    // item, leaving the pages of the items before it in page_list.
    void set_page_range(const std::string& text);
    // The same parse into list, which keeps the pages before a bad item; nothing else changes.
    static void parse_page_range(const std::string& text, std::vector<int>& list);
    // Percent done, a whole number; 0 before the page count is known.
    double get_progress() const;

    // Exchanges the settings with the store; true when every value was.
    bool serialize(bool store);

    using tk_converter::load_profile;
    using tk_converter::store_profile;
    bool load_profile(const std::string& path);
    bool store_profile(const std::string& path);
    // The keys of the generic section the settings read; a profile is loaded with only these.
    static const std::vector<std::string>& profile_keys();
    // Reads the profile whole and takes it; throws what refuses it, changing nothing then.
    bool read_profile_values(tk_profile& profile);
    // The job's settings with the profile's values in them, each checked ("Invalid page range",
    // the log file against the names and the profiles read); the job does not change.
    vlx_profile_settings read_profile_settings(const tk_profile& profile,
                                               const std::vector<std::string>& profiles) const;
    // Makes settings that read_profile_settings gave the job's; a log file only when they name one.
    void take_profile_settings(const vlx_profile_settings& next);
    bool write_profile_values(tk_profile& profile);

    form_t form() const { return form_; }

private:
    void run_pages();
    void write_picture(RtfOutputDev& rtf, SplashOutputDev& raster);
    form_t form_;
};
