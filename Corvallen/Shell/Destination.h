#pragma once

#include <QString>

class Project;

// The page the main window shows. Two destinations are equal when they are the same kind and,
// for a project, the same stored project (the store keeps one object per record).
struct Destination {
    enum class Kind { project, dashboard, library, inventory, devices, syncLocations };

    Kind kind = Kind::dashboard;
    Project* project = nullptr;  // set for Kind::project only

    static Destination dashboard() { return {Kind::dashboard, nullptr}; }
    static Destination library() { return {Kind::library, nullptr}; }
    static Destination inventory() { return {Kind::inventory, nullptr}; }
    static Destination devices() { return {Kind::devices, nullptr}; }
    static Destination syncLocations() { return {Kind::syncLocations, nullptr}; }
    static Destination forProject(Project* p) { return {Kind::project, p}; }

    bool isProject(const Project* p) const { return kind == Kind::project && project == p; }

    friend bool operator==(const Destination& a, const Destination& b)
    {
        return a.kind == b.kind && (a.kind != Kind::project || a.project == b.project);
    }
    friend bool operator!=(const Destination& a, const Destination& b) { return !(a == b); }
};
