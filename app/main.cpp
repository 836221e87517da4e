#include "app/Application.h"
#include "app/ErrorMessage.h"

#include <exception>

int main(int argc, char** argv)
{
    // The shell has already split the command line; a quoted name with blanks arrives as one
    // word, as it would from splitCommandLine.
    const Ogre::StringVector words(argv + 1, argv + argc);

    // An error that ends the program is reported with a non-zero status, so that scripts can
    // tell it from a normal close or a cancelled configuration dialog.
    int exitStatus = 0;
    Application application;
    try
    {
        application.run(words);
    }
    catch (const std::exception& exception)
    {
        showErrorMessage("An exception has occurred!", exception.what());
        exitStatus = 1;
    }
    return exitStatus;
}
