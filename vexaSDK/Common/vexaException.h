// The framework's exception family. Every object carries its finished error
// report (module, file and line of the throw site, date, error text), built
// once when it is constructed; catch sites only show or log what() returns.
#pragma once

#include <exception>
#include <string>

namespace vexaSDK {
namespace Common {

class CException : public std::exception {
 public:
  // `file` and `line` are those of the throw site; only the file name of the
  // path reaches the report.
  CException(const std::string& error, const std::string& file, int line);
  CException(const CException& other) = default;
  ~CException() override = default;

  // The four-line report; empty when building it failed.
  const char* what() const noexcept override { return text.c_str(); }

 protected:
  std::string text;
};

class CNullPointerException : public CException {
 public:
  CNullPointerException(const std::string& message, const std::string& file, int line)
      : CException("CNullPointerException\r\n" + message, file, line) {}
};

class CIndexOutOfBoundsException : public CException {
 public:
  CIndexOutOfBoundsException(const std::string& message, const std::string& file, int line)
      : CException("CIndexOutOfBoundsException\r\n" + message, file, line) {}
};

class CRuntimeException : public CException {
 public:
  CRuntimeException(const std::string& message, const std::string& file, int line)
      : CException("CRuntimeException\r\n" + message, file, line) {}
};

class CSyntaxException : public CException {
 public:
  CSyntaxException(const std::string& message, const std::string& file, int line)
      : CException("CSyntaxException\r\n" + message, file, line) {}
};

}  // namespace Common
}  // namespace vexaSDK

// Throws `type` with `message`, stamped with the file and line of this use.
#define VEXA_THROW(type, message) throw type((message), __FILE__, __LINE__)
