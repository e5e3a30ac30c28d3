#pragma once

// Tip keys of the status notices. They are translation keys in the context "ManageThread"; without a
// translation the key itself is shown, so the texts must stay exactly as they are.
namespace tasks::tips {

constexpr char StartDownload[] = "kaishixiazai";       // 1, 6: queued with a free slot; list entry removed
constexpr char WaitingToDownload[] = "dengdaixiazai";  // 1: queued while three downloads run
constexpr char AboutToStart[] = "jijiangkaishi";       // 1: a partial download is restarted
constexpr char Downloading[] = "zhengzaixiazai__";     // 1: every progress event (percentage follows)
constexpr char AboutToFinish[] = "jijiangwancheng";    // 1: received >= total
constexpr char PreparingUpdate[] = "zhunbeigengxin";   // 1: an update has been queued
constexpr char Paused[] = "yizanting";                 // 4: aborted for a pause
constexpr char DownloadError[] = "xiazaichucuo";       // 3: transfer error; package missing at install
constexpr char PreparingInstall[] = "zhunbeianzhuang"; // 2: download finished
constexpr char Installing[] = "zhengzaianzhuang";      // 2: an installer program was started
constexpr char CannotInstall[] = "wufaanzhuang";       // 2: unknown package type; no room to extract
constexpr char AboutToInstall[] = "jijianganzhuang__"; // 7: an Android package goes to the device bridge
constexpr char StartExtracting[] = "kaishijiaye__";    // 7: extraction or patching starts
constexpr char ExtractingPleaseWait[] = "jieyazhongqingdengdai"; // 7: second text of the same notice
constexpr char ExtractingFile[] = "kaishijieya__";               // 7: per-file extraction notice
constexpr char Verifying[] = "zhengzaiyanzheng__";               // 7: extraction progress passed 100 percent
constexpr char ExtractFailed[] = "jieyashibai";                  // 9: the archiver did not report success
constexpr char CloseGameAndRetry[] = "qingguanbiyouxichongxinjieya"; // 9: second text of the same notice
constexpr char StartGame[] = "qidongyouxi";                          // 5: installed state reached or found
constexpr char Starting[] = "zhengzaiqidong__";                      // 5: a launch begins
constexpr char StartFailed[] = "qidongshibai";                       // 5: the game's program file is missing
constexpr char GetGame[] = "huoquyouxi";                             // 0: local data cleared
constexpr char LocalDataCleared[] = "localHasClear"; // argument of the page's setHasSelectInstall

} // namespace tasks::tips
