// Test-only program: ends with the device owner still up. A program of its
// own, so its log is its own too; at the very end it copies that log to the
// file named by its argument, for the test that started it.
#include <cstdlib>
#include <string>

#include "platform/Testing.h"
#include "platform/TextFile.h"
#include "vexaSDK/Common/internal/vexaLogReader.h"
#include "vexaSDK/Common/vexaLog.h"
#include "vexaSDK/dx/dx8_3d/internal/vexaTestRuntime.h"

namespace {

std::string copyPath;

// Registered first, so it runs after every other exit handler.
void CopyLog() {
  const std::string log = vexaSDK::Common::internal::CLogReader::Contents();
  platform::CTextFileStream copy(copyPath.c_str(), std::ios::out | std::ios::binary);
  copy << log;
}

}  // namespace

int main(int argc, char** argv) {
  using namespace vexaSDK;
  if (argc != 2) return 2;
  copyPath = argv[1];
  std::atexit(&CopyLog);
  platform::testing::SetDirect3DModel(DX8::internal::MakeDeviceModel());
  TTL::smart_ptr<DX8::ID3DDeviceBuilder> builder(new DX8::CDeviceBuilder(GetDesktopWindow()));
  std::string noFile;
  if (!DX8::CD3D8::GetInstance().Initialize(builder, noFile, D3D_SDK_VERSION)) return 1;
  // The log is opened only now, after the owner was made.
  Common::WriteLog("up", "");
  return 0;
}
