#pragma once
// Argument scanner: each argument is matched against an option table by prefix, in table order.

struct cmd_option {
    int id;
    const char* name; // the empty name ends the table and matches everything
};

class TCmdLine {
public:
    virtual ~TCmdLine() = default;
    virtual void next() = 0;
    virtual bool valid() const = 0;

    const char* value() const;
    int option() const;
    int non_option_count() const { return non_option_count_; }
    const char* non_option(int i) const { return non_options_[i]; }

protected:
    static constexpr int MAX_NON_OPTIONS = 20;
    const cmd_option* table_ = nullptr;
    const char* value_ = nullptr;
    int option_id_ = -1;
    int non_option_count_ = 0;
    const char* non_options_[MAX_NON_OPTIONS] = {};
};

class ansi_cmd_line : public TCmdLine {
public:
    ansi_cmd_line(int argc, char** argv, const cmd_option* table);
    void next() override;
    bool valid() const override { return remaining_ > 0; }

private:
    void match(const char* arg);
    char** cursor_;
    int remaining_;
};
