#pragma once

#include <string>

namespace CLI
{
class App;
}
struct ModelDocument;

// Each command adds itself to the tool; `status` receives the exit status of the one that ran.
void addInfoCommand(CLI::App& app, int& status);
void addExportCommand(CLI::App& app, int& status);
void addConvertCommand(CLI::App& app, int& status);
void addRenderCommand(CLI::App& app, int& status);

// Exit statuses shared by the commands.
const int STATUS_PROBLEM = 1;    // the files were read, but something in them is wrong
const int STATUS_UNREADABLE = 2; // a file could not be read
const int STATUS_USAGE = 64;     // bad arguments

// Reads the model file and, when named, the animation file. On failure prints why on standard
// error and returns false.
bool readDocument(const std::string& modelFile, const std::string& animationFile,
                  ModelDocument& document);
