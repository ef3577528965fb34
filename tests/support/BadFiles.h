#pragma once
// Test support: files that a folder of shortcuts can hold but should not: broken and oversized
// pictures, links with overlong fields, names the Win32 layer changes or treats as devices; and
// what a test needs to see that a program survived them (its commit charge, a listing of a tree).
#include <windows.h>

#include <map>
#include <string>

#include "support/Driver.h"

namespace tsbtest {

// Files and folders by their exact names ("\\?\" paths): trailing dots and spaces, device names
// and long paths reach the disk as given.
std::wstring ExactPath(const std::string& path);
void WriteFileExact(const std::string& path, const std::string& data);
void MakeDirExact(const std::string& path);

// A junction (mount point) at the new folder at, leading to target. False, with the system's
// error, when the system makes none.
bool MakeJunction(const std::string& at, const std::string& target, DWORD* error);

// A link made through the shell's wide link object, whose fields may pass MAX_PATH. Each setter
// the object refuses is named in the result ("" when all were taken).
struct WideLinkSpec {
    std::wstring target, arguments, description, workingDir, iconFile;
};
std::string MakeWideLink(const std::string& linkFile, const WideLinkSpec& shape);

// Bytes the same every run.
std::string Garbage(size_t size, unsigned variant);

enum class Damage { Zero, Truncated, Garbage, Huge };
const char* DamageName(Damage d);
// A picture file of the extension ("jpg", "png", "gif", "tif", "bmp", "ico", "emf") with that
// damage: empty; a well-formed file cut short; noise; or a small file whose header declares
// 60 000 x 60 000 pixels.
std::string DamagedPicture(const std::string& extension, Damage d);

// Every file and folder under root (names relative to it), with size and last write time for
// files; junctions are listed, not entered.
std::map<std::string, std::string> ListTree(const std::string& root);

// The memory of a running process in MiB, -1 when unreadable: its commit charge now and at its
// peak, and the peak of its working set. (Under Wine the commit charge is the private memory
// touched so far, and its "peak" is the present value; the working set's peak is the kernel's
// own high-water mark.)
struct CommitCharge {
    double nowMB = -1, peakMB = -1, peakWorkingSetMB = -1;
};
CommitCharge CommitOf(DWORD pid);

}  // namespace tsbtest
