#pragma once

#include <QList>

class Capture;
class ModelContext;
class Project;

// What the dashboard shows, worked out afresh from the store each time it is drawn.
struct DashboardSummary {
    qsizetype projectCount = 0;
    qsizetype captureCount = 0;
    qsizetype lowCount = 0;  // components whose derived status is low
    qsizetype outCount = 0;  // components whose derived status is out
    QList<Capture*> recentCaptures;  // the ten latest imports, newest first
    QList<Project*> projects;        // every project, newest first

    static constexpr int recentLimit = 10;
    static DashboardSummary compute(ModelContext& context);
};
