// A fresh directory under /tmp for tests that read and write the game's files
// in the working directory: entered at the start, emptied and left at the end.
#pragma once

#include <dirent.h>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <functional>
#include <set>
#include <string>

// Where the test was and the directory it works in.
struct ScratchDir {
    char oldDir[4096] = {};
    char newDir[64] = {};
};

// The names in the working directory, "." and ".." left out.
inline std::set<std::string> filesHere()
{
    std::set<std::string> names;
    DIR* dir = opendir(".");
    while (dirent* e = dir ? readdir(dir) : nullptr)
        if (std::string(e->d_name) != "." && std::string(e->d_name) != "..")
            names.insert(e->d_name);
    if (dir)
        closedir(dir);
    return names;
}

// Makes /tmp/vg-<name>-XXXXXX and works there.
inline void enterScratchDir(ScratchDir& d, const char* name)
{
    ASSERT_NE(getcwd(d.oldDir, sizeof d.oldDir), nullptr);
    snprintf(d.newDir, sizeof d.newDir, "/tmp/vg-%s-XXXXXX", name);
    ASSERT_NE(mkdtemp(d.newDir), nullptr);
    ASSERT_EQ(chdir(d.newDir), 0);
}

// Removes every file the test left in the directory and in the folders in it
// (such as runs/), goes back and removes it.
inline void leaveScratchDir(ScratchDir& d)
{
    ASSERT_EQ(chdir(d.newDir), 0);
    for (const std::string& name : filesHere()) {
        if (remove(name.c_str()) == 0 || chdir(name.c_str()) != 0)
            continue;
        for (const std::string& inner : filesHere())
            remove(inner.c_str());
        chdir(d.newDir);
        remove(name.c_str());
    }
    ASSERT_EQ(chdir(d.oldDir), 0);
    rmdir(d.newDir);
}

// Runs `write` as on a disk that is full after `room` bytes of any one file:
// the file-size limit cuts longer writes short, quietly, as a full disk does.
inline void onAFullDisk(const std::function<void()>& write, rlim_t room = 16)
{
    rlimit limit = {};
    getrlimit(RLIMIT_FSIZE, &limit);
    rlimit tiny = {room, limit.rlim_max};
    void (*oldHandler)(int) = signal(SIGXFSZ, SIG_IGN);
    setrlimit(RLIMIT_FSIZE, &tiny);
    write();
    setrlimit(RLIMIT_FSIZE, &limit);
    signal(SIGXFSZ, oldHandler);
}
