// Uploading a 1 MB record to an FTP server on this machine (pyftpdlib):
// the temporary name, the transfer and the rename.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <string>

#include "app/narvo_doc.h"
#include "output/ftp_upload.h"
#include "record/text.h"
#include "settings/ftp_env.h"
#include "tests/support/ftp_server.h"

namespace {

void BM_UploadOneMegabyte(benchmark::State& state) {
  char root[] = "/tmp/ftp-bench-XXXXXX";
  char local[] = "/tmp/ftp-bench-local-XXXXXX";
  const std::string serverDir = mkdtemp(root), localDir = mkdtemp(local);
  FtpServer ftp(serverDir, true);
  g_nFtpPort = ftp.Port();
  std::string bytes;
  while (bytes.size() < (1u << 20)) bytes += "  1 ７六歩(77)   ( 0:01/00:00:01)\r\n";
  g_szRecordFilePath = PathFromNative(localDir) + u"/record.zrf";
  WriteFileBytes(g_szRecordFilePath, bytes);
  FtpDestination d;
  d.name = u"bench";
  d.server = u"127.0.0.1";
  d.user = u"taro";
  d.password = u"secret";
  AddFtpDestination(g_FtpTable, d);
  for (auto _ : state)
    if (FtpUploadFile(0) != 0) state.SkipWithError("the upload failed");
  std::system(("rm -rf " + serverDir + " " + localDir).c_str());
}

BENCHMARK(BM_UploadOneMegabyte)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
