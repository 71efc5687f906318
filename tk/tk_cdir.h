#pragma once
// Changes the current directory and restores it when destroyed. The current
// directory belongs to the whole process: use only where no other thread
// resolves relative names meanwhile.
#include <string>

class tk_cur_dir_keeper {
public:
    bool ok = false;
    std::string saved;

    // An empty folder means the program's folder.
    explicit tk_cur_dir_keeper(const std::string& folder);
    ~tk_cur_dir_keeper();
    tk_cur_dir_keeper(const tk_cur_dir_keeper&) = delete;
    tk_cur_dir_keeper& operator=(const tk_cur_dir_keeper&) = delete;
};
