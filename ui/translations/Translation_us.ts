<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en_US">
<context>
    <name>AboutMeClass</name>
    <message>
        <source>aboutUs</source>
        <translation>About</translation>
    </message>
    <message>
        <source>checkVersion</source>
        <translation>Check for updates</translation>
    </message>
    <message>
        <source>isLastest</source>
        <translation>This is the latest version</translation>
    </message>
    <message>
        <source>toWebsite</source>
        <translation>Website</translation>
    </message>
    <message>
        <source>toPrivacy</source>
        <translation>Privacy</translation>
    </message>
    <message>
        <source>toAgreement</source>
        <translation>Agreement</translation>
    </message>
    <message>
        <source>infoShow</source>
        <translation>Information</translation>
    </message>
    <message>
        <source>shareList</source>
        <translation>Sharing list</translation>
    </message>
    <message>
        <source>Copyright © All Rights Reserved</source>
        <translation>Copyright © All Rights Reserved</translation>
    </message>
</context>
<context>
    <name>AdbThread</name>
    <message>
        <source>安装失败</source>
        <translation>Installation failed</translation>
    </message>
    <message>
        <source>没有连接手机：请用USB连接手机，并在手机上开启USB调试</source>
        <translation>No phone connected: connect it by USB and switch on USB debugging</translation>
    </message>
    <message>
        <source>找不到安装包：%1</source>
        <translation>Package not found: %1</translation>
    </message>
    <message>
        <source>应用包名或启动界面名称无效：%1 %2</source>
        <translation>Invalid package or activity name: %1 %2</translation>
    </message>
    <message>
        <source>无法运行adb：%1</source>
        <translation>Cannot run adb: %1</translation>
    </message>
    <message>
        <source>adb在%1秒内没有完成</source>
        <translation>adb did not finish within %1 seconds</translation>
    </message>
    <message>
        <source>adb异常退出</source>
        <translation>adb ended abnormally</translation>
    </message>
    <message>
        <source>adb结束，返回码%1</source>
        <translation>adb ended with code %1</translation>
    </message>
</context>
<context>
    <name>CWebPage</name>
    <message>
        <source>shouquandenglu</source>
        <translation>Authorised sign-in</translation>
    </message>
</context>
<context>
    <name>DialogPage</name>
    <message>
        <source>systemConf</source>
        <translation>Settings</translation>
    </message>
    <message>
        <source>download</source>
        <translation>Downloads</translation>
    </message>
    <message>
        <source>privacy</source>
        <translation>Privacy</translation>
    </message>
    <message>
        <source>general</source>
        <translation>General</translation>
    </message>
    <message>
        <source>startup</source>
        <translation>Start-up</translation>
    </message>
    <message>
        <source>selfStart</source>
        <translation>Start with the desktop session</translation>
    </message>
    <message>
        <source>youxijieshuhoutanchu</source>
        <translation>Show the launcher when a game ends</translation>
    </message>
    <message>
        <source>qidongyouxihou</source>
        <translation>After a game starts</translation>
    </message>
    <message>
        <source>smallSelf</source>
        <translation>Minimise the launcher</translation>
    </message>
    <message>
        <source>keepUI</source>
        <translation>Keep the window as it is</translation>
    </message>
    <message>
        <source>browersetting</source>
        <translation>Browser</translation>
    </message>
    <message>
        <source>useCache</source>
        <translation>Use the cache</translation>
    </message>
    <message>
        <source>preload</source>
        <translation>Preload pages</translation>
    </message>
    <message>
        <source>scrollgl</source>
        <translation>Smooth scrolling</translation>
    </message>
    <message>
        <source>usegl</source>
        <translation>Hardware acceleration</translation>
    </message>
    <message>
        <source>clickclearCache</source>
        <translation>Clear the page cache</translation>
    </message>
    <message>
        <source>clearCache</source>
        <translation>Clear cache</translation>
    </message>
    <message>
        <source>downloadsetting</source>
        <translation>Downloads</translation>
    </message>
    <message>
        <source>unlimit</source>
        <translation>No limit</translation>
    </message>
    <message>
        <source>limitRate</source>
        <translation>Limit to</translation>
    </message>
    <message>
        <source>reinstall</source>
        <translation>Clear downloaded data before reinstalling</translation>
    </message>
    <message>
        <source>clearnDownload</source>
        <translation>Clear downloads</translation>
    </message>
    <message>
        <source>selectInstallDir</source>
        <translation>Install folder</translation>
    </message>
    <message>
        <source>reselect</source>
        <translation>Choose again</translation>
    </message>
    <message>
        <source>clearSelected</source>
        <translation>Clear the choice</translation>
    </message>
    <message>
        <source>soundSetting</source>
        <translation>Sound</translation>
    </message>
    <message>
        <source>openSound</source>
        <translation>Sound on</translation>
    </message>
    <message>
        <source>closeAction</source>
        <translation>When the main window is closed</translation>
    </message>
    <message>
        <source>hideToTask</source>
        <translation>Hide in the tray</translation>
    </message>
    <message>
        <source>quitApp</source>
        <translation>Quit</translation>
    </message>
    <message>
        <source>agreement</source>
        <translation>User agreement</translation>
    </message>
    <message>
        <source>privatement</source>
        <translation>Privacy policy</translation>
    </message>
    <message>
        <source>localHasClear</source>
        <translation>Local data cleared</translation>
    </message>
    <message>
        <source>cacheHasClear</source>
        <translation>Cache cleared</translation>
    </message>
    <message>
        <source>pathNoGame</source>
        <translation>The game is not in the chosen folder</translation>
    </message>
    <message>
        <source>deleteFileFailed</source>
        <translation>The package could not be deleted</translation>
    </message>
</context>
<context>
    <name>LoginDialogClass</name>
    <message>
        <source>LoginGame</source>
        <translation>Sign in</translation>
    </message>
</context>
<context>
    <name>LoginPage</name>
    <message>
        <source>请登录</source>
        <translation>Please sign in</translation>
    </message>
</context>
<context>
    <name>LoginWait</name>
    <message>
        <source>正在登录</source>
        <translation>Signing in</translation>
    </message>
    <message>
        <source>0%</source>
        <translation>0%</translation>
    </message>
    <message>
        <source>jiazaitupian__</source>
        <translation>Loading pictures</translation>
    </message>
</context>
<context>
    <name>ManageThread</name>
    <message>
        <source>kaishixiazai</source>
        <translation>Download</translation>
    </message>
    <message>
        <source>dengdaixiazai</source>
        <translation>Waiting</translation>
    </message>
    <message>
        <source>jijiangkaishi</source>
        <translation>Starting soon</translation>
    </message>
    <message>
        <source>zhengzaixiazai__</source>
        <translation>Downloading </translation>
    </message>
    <message>
        <source>jijiangwancheng</source>
        <translation>Almost done</translation>
    </message>
    <message>
        <source>zhunbeigengxin</source>
        <translation>Preparing the update</translation>
    </message>
    <message>
        <source>yizanting</source>
        <translation>Paused</translation>
    </message>
    <message>
        <source>xiazaichucuo</source>
        <translation>Download failed</translation>
    </message>
    <message>
        <source>zhunbeianzhuang</source>
        <translation>Ready to install</translation>
    </message>
    <message>
        <source>zhengzaianzhuang</source>
        <translation>Installing</translation>
    </message>
    <message>
        <source>wufaanzhuang</source>
        <translation>Cannot install</translation>
    </message>
    <message>
        <source>jijianganzhuang__</source>
        <translation>About to install</translation>
    </message>
    <message>
        <source>kaishijiaye__</source>
        <translation>Extracting</translation>
    </message>
    <message>
        <source>jieyazhongqingdengdai</source>
        <translation>Extracting, please wait</translation>
    </message>
    <message>
        <source>kaishijieya__</source>
        <translation>Extracting</translation>
    </message>
    <message>
        <source>zhengzaiyanzheng__</source>
        <translation>Verifying</translation>
    </message>
    <message>
        <source>jieyashibai</source>
        <translation>Extraction failed</translation>
    </message>
    <message>
        <source>qingguanbiyouxichongxinjieya</source>
        <translation>Close the game and extract again</translation>
    </message>
    <message>
        <source>qidongyouxi</source>
        <translation>Play</translation>
    </message>
    <message>
        <source>zhengzaiqidong__</source>
        <translation>Starting</translation>
    </message>
    <message>
        <source>qidongshibai</source>
        <translation>Start failed</translation>
    </message>
    <message>
        <source>huoquyouxi</source>
        <translation>Get the game</translation>
    </message>
    <message>
        <source>localHasClear</source>
        <translation>Local data cleared</translation>
    </message>
</context>
<context>
    <name>MorvuSDKKFWinApp</name>
    <message>
        <source>systemConf</source>
        <translation>Settings</translation>
    </message>
    <message>
        <source>LoadError</source>
        <translation>Loading failed</translation>
    </message>
    <message>
        <source>cannotconnectserver</source>
        <translation>Cannot reach the server. Check your network and try again.</translation>
    </message>
    <message>
        <source>pathNoGame</source>
        <translation>The game is not in the chosen folder</translation>
    </message>
    <message>
        <source>diskUsed</source>
        <translation>Not enough disk space, please free some</translation>
    </message>
    <message>
        <source>changeAccount</source>
        <translation>Switch account</translation>
    </message>
    <message>
        <source>closeSound</source>
        <translation>Sound off</translation>
    </message>
    <message>
        <source>openSound</source>
        <translation>Sound on</translation>
    </message>
    <message>
        <source>exit</source>
        <translation>Exit</translation>
    </message>
</context>
<context>
    <name>MorvuSDKKFWinAppClass</name>
    <message>
        <source>appName</source>
        <translation>Game Box</translation>
    </message>
</context>
<context>
    <name>PlayGameClass</name>
    <message>
        <source>开始游戏</source>
        <translation>Play</translation>
    </message>
    <message>
        <source>网页标题</source>
        <translation>Page title</translation>
    </message>
    <message>
        <source>返回</source>
        <translation>Back</translation>
    </message>
    <message>
        <source>前进</source>
        <translation>Forward</translation>
    </message>
    <message>
        <source>刷新</source>
        <translation>Refresh</translation>
    </message>
    <message>
        <source>点击关闭声音</source>
        <translation>Click to turn the sound off</translation>
    </message>
    <message>
        <source>点击恢复声音</source>
        <translation>Click to turn the sound on</translation>
    </message>
    <message>
        <source>手游模式</source>
        <translation>Mobile game mode</translation>
    </message>
    <message>
        <source>使用浏览器打开游戏</source>
        <translation>Open the game in the browser</translation>
    </message>
    <message>
        <source>全屏模式</source>
        <translation>Full screen</translation>
    </message>
    <message>
        <source>最小化</source>
        <translation>Minimize</translation>
    </message>
    <message>
        <source>关闭</source>
        <translation>Close</translation>
    </message>
</context>
<context>
    <name>QObject</name>
    <message>
        <source>selectInstallPath</source>
        <translation>Choose the game's folder</translation>
    </message>
</context>
</TS>
