#include <gtest/gtest.h>

#include <ctime>
#include <sstream>
#include <vector>

#include "vexaSDK/Common/vexaException.h"
#include "vexaSDK/System/vexaPath.h"

namespace vexaSDK {
namespace Common {
namespace {

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  for (std::size_t end; (end = text.find("\r\n", start)) != std::string::npos; start = end + 2) {
    lines.push_back(text.substr(start, end - start));
  }
  EXPECT_EQ(text.size(), start) << "every line ends in CR LF";
  return lines;
}

// The local time as the report should show it, formatted independently.
std::string LocalTimeText() {
  const std::time_t now = std::time(nullptr);
  char text[32] = {};
  std::strftime(text, sizeof text, "%Y/%m/%d %H:%M:%S", std::localtime(&now));
  return text;
}

TEST(ExceptionTest, ReportReadsLineByLine) {
  const std::string before = LocalTimeText();
  const CNullPointerException e("null", "C:\\src\\vexaSDK\\TTL\\vexaSmartPtr.h", 131);
  const std::string after = LocalTimeText();
  const std::vector<std::string> lines = Lines(e.what());
  ASSERT_EQ(5u, lines.size());
  EXPECT_EQ("module : " + System::GetModuleFilePath(nullptr), lines[0]);
  EXPECT_EQ("file : vexaSmartPtr.h(131)", lines[1]);
  EXPECT_TRUE(lines[2] == "date : " + before || lines[2] == "date : " + after) << lines[2];
  EXPECT_EQ("error : CNullPointerException", lines[3]);
  EXPECT_EQ("null", lines[4]);
}

TEST(ExceptionTest, FileLineAndErrorForms) {
  struct Case {
    const char* file;
    int line;
    const char* fileLine;
  } const cases[] = {
      {"a.cpp", 7, "file : a.cpp(7)"},
      {"/src/x/b.h", 1000, "file : b.h(1000)"},
      {"", 0, "file : (0)"},
  };
  for (const Case& c : cases) {
    const std::vector<std::string> lines = Lines(CException("plain", c.file, c.line).what());
    ASSERT_EQ(4u, lines.size());
    EXPECT_EQ(c.fileLine, lines[1]);
    EXPECT_EQ("error : plain", lines[3]) << "CException itself adds no class name";
  }
}

TEST(ExceptionTest, FamilyIsCaughtAsItsBasesWithTheSameReport) {
  const std::string expectedTail = "error : CRuntimeException\r\nboom\r\n";
  std::string asBase, asStd;
  try {
    VEXA_THROW(CRuntimeException, "boom");
  } catch (const CException& e) {
    asBase = e.what();
  }
  try {
    VEXA_THROW(CRuntimeException, "boom");
  } catch (const std::exception& e) {
    asStd = e.what();
  }
  EXPECT_EQ(asBase.substr(asBase.size() - expectedTail.size()), expectedTail);
  EXPECT_EQ(asBase.substr(asBase.find("error")), asStd.substr(asStd.find("error")));

  const CSyntaxException original("m", "f.cpp", 1);
  const CSyntaxException copy(original);  // as the throw machinery copies
  EXPECT_STREQ(original.what(), copy.what());
  EXPECT_NE(original.what(), copy.what()) << "the copy owns its text";
  EXPECT_NE(std::string::npos, std::string(CIndexOutOfBoundsException("out of Index", "f", 2).what())
                                   .find("error : CIndexOutOfBoundsException\r\nout of Index\r\n"));
}

}  // namespace
}  // namespace Common
}  // namespace vexaSDK
