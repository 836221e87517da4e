#include "skeleton/ModelDocument.h"

#include "tests/TempFolder.h"
#include "tests/editor/EditorTestFixture.h"

#include <gtest/gtest.h>

// The sample was written by the editor: read and written again without an engine, both files
// come back byte for byte.
TEST(ModelDocument, SampleWritesBackByteForByte)
{
    const std::string model = (EXAMPLES / "bramblewick.xml").string();
    const std::string animations = (EXAMPLES / "bramblewick_animations.xml").string();
    ModelDocument document;
    ASSERT_TRUE(readModelFile(model, document));
    readAnimationFile(animations, document);

    TempFolder folder("bramblewick-document");
    ASSERT_TRUE(writeModelFile(document, folder.file("model.xml")));
    ASSERT_TRUE(writeAnimationFile(document, folder.file("animations.xml")));
    EXPECT_EQ(readFile(folder.file("model.xml")), readFile(model));
    EXPECT_EQ(readFile(folder.file("animations.xml")), readFile(animations));
    EXPECT_FALSE(writeModelFile(document, folder.file("missing/model.xml")));
}
