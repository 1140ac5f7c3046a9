#pragma once
// The "System" block of the Help menu: processor and operating system as
// Linux reports them, and the OpenGL renderer and vendor.

#include <string>
#include <vector>

namespace kv {

// The processor's model name from /proc/cpuinfo ("model name"), else the
// machine name of uname ("x86_64"), else "Unknown".
std::string ProcessorDescription();

// The distribution's PRETTY_NAME from /etc/os-release followed by the kernel
// ("Debian GNU/Linux 12 (bookworm), Linux 6.1.0"), else the kernel alone,
// else "Unknown".
std::string OperatingSystemDescription();

// The four lines of the block, in order:
// "----------- System Information -----------", "Processor: ...",
// "Operating system: ...", "Graphics card: <renderer>, <vendor>".
std::vector<std::string> SystemInformationLines(const std::string& processor, const std::string& os,
                                                const std::string& renderer, const std::string& vendor);

// Reads the value of `key` in text of "key : value" or key=value lines
// (quotes around the value removed); empty when absent.
std::string ValueOfKey(const std::string& text, const std::string& key, char separator);

}  // namespace kv
