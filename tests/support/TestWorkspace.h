#pragma once

#include "core/common/RecordingMessageSink.h"
#include "core/layouts/Module1.h"

#include <QTemporaryDir>
#include <string>

// A temporary folder with the test map files and claim files, and a fresh
// Module1 whose MapFolder points at it.
class TestWorkspace {
public:
    TestWorkspace();
    std::string path(const std::string& name) const;
    void write(const std::string& name, const std::string& bytes) const;
    // Opens a claim file as File > Open does; returns DetectFileVersion's result.
    bool open(const std::string& name);

    // A compact map with the fields the engine relies on, version "00301".
    static std::string testMap();

    QTemporaryDir dir;
    qm::Module1 m;
    qm::RecordingMessageSink sink;
};
