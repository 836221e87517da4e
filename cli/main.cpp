// bramblewick: the editor's files on the command line, for pipelines and checks. It never opens
// a window or a display connection.

#include "cli/Commands.h"

#include "skeleton/ModelDocument.h"

#include <CLI/CLI.hpp>

#include <exception>
#include <filesystem>
#include <iostream>

bool readDocument(const std::string& modelFile, const std::string& animationFile,
                  ModelDocument& document)
{
    namespace fs = std::filesystem;
    std::error_code error;
    // The editor starts a new model for a missing file; here it can only be a mistake.
    for (const std::string& name : {modelFile, animationFile})
    {
        if (!name.empty() && !fs::exists(name, error))
        {
            std::cerr << "bramblewick: couldn't read \"" << name << "\": no such file\n";
            return false;
        }
    }
    try
    {
        readModelFile(modelFile, document);
        readAnimationFile(animationFile, document);
    }
    catch (const std::exception& failure)
    {
        std::string text = failure.what();
        if (text.find(modelFile) == std::string::npos &&
            (animationFile.empty() || text.find(animationFile) == std::string::npos))
        {
            text = "couldn't read the model file \"" + modelFile + "\": " + text;
        }
        std::cerr << "bramblewick: " << text << "\n";
        return false;
    }
    return true;
}

int main(int argc, char** argv)
{
    CLI::App app{"Reads, checks and exports the models of the BRAMBLEWICK voxel editor.",
                 "bramblewick"};
    app.require_subcommand(1);
    int status = 0;
    addInfoCommand(app, status);
    addExportCommand(app, status);
    addConvertCommand(app, status);
    addRenderCommand(app, status);
    try
    {
        app.parse(argc, argv);
    }
    catch (const CLI::ParseError& error)
    {
        // Prints the help, or the error with a pointer to --help.
        return app.exit(error) == 0 ? 0 : STATUS_USAGE;
    }
    catch (const std::exception& error)
    {
        std::cerr << "bramblewick: " << error.what() << "\n";
        return STATUS_PROBLEM;
    }
    return status;
}
