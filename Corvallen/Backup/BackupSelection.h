#pragma once

// The five sections of a backup, each switched on by one flag. `files` stands for the
// documents library (its records and the "documents" folder), `captures` includes the capture
// tags and the "captures" folder, `inventory` includes the "components" folder.
struct BackupSelection {
    bool projects = false;
    bool inventory = false;
    bool captures = false;
    bool files = false;
    bool settings = false;

    static BackupSelection all() { return {true, true, true, true, true}; }
    bool isEmpty() const { return !projects && !inventory && !captures && !files && !settings; }

    friend bool operator==(const BackupSelection&, const BackupSelection&) = default;
};
