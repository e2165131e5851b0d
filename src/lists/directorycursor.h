// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "directorycache.h"
#include "dirlist.h"
#include "filelist.h"

#include <functional>
#include <utility>

// A directory list and a file list sharing one cache, coupled so that the
// file list always shows the files of the directory list's path.
class DirectoryCursor
{
public:
    DirectoryCursor();

    DirectoryCursor(const DirectoryCursor &) = delete;
    DirectoryCursor &operator=(const DirectoryCursor &) = delete;

    // False while a move of the directory list is under way: the lists do
    // not agree with each other yet.
    bool isSettled() const { return !dir.isMoving(); }

    // Called at every change of the directory list's path, before the change
    // returns, once the file list shows the new directory.
    void setChangeHandler(std::function<void()> handler) { m_changeHandler = std::move(handler); }

    DirectoryCache cache;
    DirList dir;
    FileList files;

private:
    std::function<void()> m_changeHandler;
};
