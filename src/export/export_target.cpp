// SPDX-License-Identifier: GPL-3.0-or-later
#include "export/export_target.h"

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>

namespace exporter {
namespace {

namespace fs = std::filesystem;

std::string KindText(fs::file_type type) {
    switch (type) {
        case fs::file_type::directory:
            return "a folder";
        case fs::file_type::fifo:
            return "a FIFO";
        case fs::file_type::character:
        case fs::file_type::block:
            return "a device";
        case fs::file_type::socket:
            return "a socket";
        default:
            return "not a regular file";
    }
}

}  // namespace

bool ResolveExportTarget(const std::string& path, std::string& target, std::string& error) {
    fs::path at = path;
    std::error_code ec;
    // Links are followed one by one, so a link to a missing file still leads
    // to where that file is to be made.
    for (int hops = 0;; ++hops) {
        const fs::file_status st = fs::symlink_status(at, ec);
        if (st.type() != fs::file_type::symlink) break;
        if (hops == 40) {
            error = path + ": too many levels of symbolic links";
            return false;
        }
        const fs::path next = fs::read_symlink(at, ec);
        if (ec) {
            error = path + ": " + ec.message();
            return false;
        }
        at = next.is_absolute() ? next : at.parent_path() / next;
    }
    const fs::file_status st = fs::status(at, ec);
    if (fs::exists(st) && st.type() != fs::file_type::regular) {
        error = at.string() + " is " + KindText(st.type()) + ", not a workbook file; it is left as it is";
        return false;
    }
    target = at.string();
    return true;
}

bool ClearStalePart(const std::string& part, std::string& error) {
    std::error_code ec;
    const fs::file_status st = fs::symlink_status(part, ec);
    if (!fs::exists(st)) return true;
    bool ours = false;
    if (st.type() == fs::file_type::regular) {
        char head[4] = {};
        std::ifstream in(part, std::ios::binary);
        in.read(head, sizeof head);
        ours = in.gcount() == 0 || (in.gcount() == 4 && std::memcmp(head, "PK\x03\x04", 4) == 0);
    }
    if (!ours) {
        error = part + " is in the way and is not a workbook left over by an export";
        return false;
    }
    if (std::remove(part.c_str()) != 0) {
        error = "cannot remove the unfinished " + part + ": " + std::strerror(errno);
        return false;
    }
    return true;
}

}  // namespace exporter
