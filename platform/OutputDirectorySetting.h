#pragma once
// The output directory that Save and batch runs write into, kept under the
// key OutputDir of section [Setting] in config.ini of the current working
// directory.
#include <string>

namespace stampora {

// The current working directory joined with "config.ini"; empty when the
// working directory cannot be found.
std::string SettingsFilePath();

// Another file of the settings' folder (where config.ini is), by name; empty
// when that folder cannot be found.
std::string SettingsFolderFile(const std::string& name);

// The user's Documents folder joined with "Stampora". The folder is created
// when missing (an existing folder is fine); the path is answered either way.
std::string DefaultOutputDirectory();

// OutputDir from config.ini; the Documents default when the file, the key or
// the value is missing or empty. The default is not written to the file.
std::string ReadOutputDirectory();

// OutputDir exactly as config.ini holds it; empty when the file, the key or
// the value is missing.
std::string StoredOutputDirectory();

// Stores the directory as OutputDir in config.ini, creating the file or the
// section as needed. Answers whether the file was written.
bool WriteOutputDirectory(const std::string& directory);

}  // namespace stampora
