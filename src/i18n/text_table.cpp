#include "i18n/text_table.h"

#include <array>

namespace kv816 {

namespace {

// Texts exactly as the program shows them; some Traditional Chinese texts carry
// Simplified characters, and the English ones keep their historic wording.
constexpr std::array<TextTriple, TEXT_COUNT> TEXTS{{
    {Text::ProgramRunning, "程序正在运行!", "程序正在運行!", "The Program is Running!"},
    {Text::MenuRemote, "连接", "連接", "Remote"},
    {Text::MenuNetwork, "网络配置", "網絡配置", "Network"},
    {Text::MenuDevice, "设备", "設備", "Device"},
    {Text::MenuProgram, "程序", "程序", "Program"},
    {Text::Load, "调用", "調用", "Load"},
    {Text::Save, "保存", "保存", "Save"},
    {Text::Import, "导入", "導入", "Import"},
    {Text::Export, "导出", "導出", "Export"},
    {Text::Mode2In4Out, "2进4出", "2進4出", "2In4Out"},
    {Text::Mode2In6Out, "2进6出", "2進6出", "2In6Out"},
    {Text::Mode4In6Out, "4进6出", "4進6出", "4In6Out"},
    {Text::Mode4In8Out, "4进8出", "4進8出", "4In8Out"},
    {Text::MenuConfigure, "配置", "配置", "Comfigure"},
    {Text::MenuSystem, "系统", "系統", "System"},
    {Text::Communication, "通讯方式:", "通訊方式:", "Communication:"},
    {Text::LinkStatusSuccessful, "连接状态:连接成功", "連接狀態:連接成功",
     "Link Status:Successful"},
    {Text::LinkStatusSearching, "连接状态:搜索连接", "連接狀態:搜索連接", "Link Status:Search.."},
    {Text::Tip, "提示!", "提示!", "Tip!"},
    {Text::ConfirmExit, "是否退出程序!", "是否退出程序!", "Whether to exit the program!"},
    {Text::Home, "主页", "主頁", "Home"},
    {Text::Gain, "增益", "增益", "Gain"},
    {Text::Delay, "延时", "延時", "Delay"},
    {Text::Geq, "均衡", "均衡", "GEQ "},
    {Text::In, "输入", "輸入", "IN "},
    {Text::Out, "输出", "輸出", "OUT "},
    {Text::Mute, "静音", "靜音", "Mute "},
    {Text::Freq, "频率", "頻率", "Freq"},
    {Text::Type, "类型", "類型", "Type"},
    {Text::Bypass, "直通", "直通", "ByPass"},
    {Text::Q, "Q值", "Q值", "Q"},
    {Text::CrossOver, "带通", "帶通", "X_Over"},
    {Text::Peq, "参量", "參量", "PEQ"},
    {Text::HighShelf, "高架", "高架", "HS"},
    {Text::LowShelf, "低架", "低架", "LS"},
    {Text::Hpf, "高通", "高通", "HPF"},
    {Text::Lpf, "低通", "低通", "LPF"},
    {Text::Limit, "限幅", "限幅", "Limit"},
    {Text::Compress, "压缩", "壓縮", "ComPress"},
    {Text::PeqReset, "PEQ 复位", "PEQ 復位", "PEQ RESET"},
    {Text::PeqBypass, "PEQ 旁路", "PEQ 旁路", "PEQ BYPASS"},
    {Text::GeqReset, "GEQ 复位", "GEQ 復位", "GEQ RESET"},
    {Text::GeqBypass, "GEQ 旁路", "GEQ 旁路", "GEQ BYPASS"},
    {Text::Threshold, "阀  值", "閥  值", "Threshold"},
    {Text::Attack, "启动时间", "啟動時間", "Attack"},
    {Text::Release, "释放时间", "釋放時間", "Release"},
    {Text::Ratio, "压缩比例", "壓縮比例", "Ratio"},
    {Text::BesselSlope, "贝塞尔%ddb", "貝塞爾%ddb", "Bessel %ddb"},
    {Text::ButterworthSlope, "巴特沃斯%ddb", "巴特沃斯%ddb", "Butter %ddb"},
    {Text::LinkwitzSlope, "宁克%ddb", "寧克%ddb", "Link %ddb"},
    {Text::ConfirmResetEq, "是否复位EQ", "是否復位EQ", "Whether to reset EQ"},
    {Text::NoDevice, "没有连接设备!", "沒有連接設備!", "No Device!"},
    {Text::Warning, "警告!", "警告!", "Warning!"},
    {Text::NoFiles, "无文件。", "無文件。", "No files。"},
    {Text::WrongFileVersion, "文件版本不对。", "文件版本不對。", "Wrong file version。"},
    {Text::EnterFileName, "请输入文件名!", "請輸入文件名!", "Please enter the file name!"},
    {Text::FileExistsOverwrite, "文件已存在!\n 是否覆盖!", "文件已存在!\n 是否覆蓋!",
     "File already exists!\n Whether or not covered!"},
    {Text::DataHasPassword, "数据有密码。", "數據有密碼。", "The data has a password ."},
    {Text::EncryptedModeUnreadable, "加密模式无法读取!", "加密模式無法讀取!",
     "Unable to read encrypted mode!"},
    {Text::SaveSuccessful, "保存成功!", "保存成功!", "Save successfully!"},
    {Text::SaveFailed, "保存失败!", "保存失败!", "Save Failed!"},
    {Text::WriteDataFailed, "写数据失败!", "寫數據失败!", "Write Data Failed!"},
    {Text::ReadDataFailed, "读数据失败!", "讀數據失败!", "Read Data Failed!"},
    {Text::PresetNumber, "模式号", "模式號", "Model No"},
    {Text::PresetName, "模式名称", "模式名称", "Model Name"},
    {Text::CurrentPreset, "当前选择模式", "当前选择模式", "Now Model"},
    {Text::NotCurrentPreset,
     "点击的不是当前模式!\r\n请点击左边模式号,\r\n设为当前模式才能修改名称!",
     "點擊的不是當前模式!\r\n請點擊左邊模式號,\r\n設為當前模式才能修改名稱!",
     "Click not the current mode!\r\n please click the left mode number,\r\n set to the current "
     "mode to modify the name!"},
    {Text::ConfirmSavePresetName, "模式名称已经改变是否保存模式内容!",
     "模式名稱已經改變是否保存模式內容!",
     "The schema name has changed whether to save schema content!"},
    {Text::Recall, "调用模式", "調用模式", "Call"},
    {Text::RecallFailed, "调用模式失败!", "調用模式失敗!", "Invocation pattern of failure!"},
    {Text::FileDialogFilter, "默认文件(*.jib)|*.jib||", "默認文件(*.jib)|*.jib||",
     "The default file(*.jib)|*.jib||"},
    {Text::ReadDataProgress, "读取设备参数:%5.0f %%", "讀取設備參數:%5.0f %%",
     "Read Device Data:%5.0f %%"},
    {Text::UpdateSceneProgress, "更新场景参数:%5.0f %%", "更新場景參數:%5.0f %%",
     "Update Scene Data:%5.0f %%"},
    {Text::UpdateDisplayProgress, "更新界面显示内容:%5.0f %%", "更新界面顯示內容:%5.0f %%",
     "Update Display Data:%5.0f %%"},
    {Text::WrongModel, "设备型号不对!", "設備型號不對!", "Equipment model is wrong!"},
    {Text::ChannelCopy, "通道拷贝", "通道拷貝", "Channel Copy"},
    {Text::Source, "数据源", "數據源", "Source"},
    {Text::Target, "目的", "目的", "Target"},
    {Text::NoiseGate, "噪声门", "噪聲門", "NoiseGate"},
    {Text::Ok, "确定", "確定", "OK"},
    {Text::CannotCopySelf, "自己不能复制自己!", "自己不能復制自己!", "You can't copy yourself!"},
    {Text::CopyComplete, "复制完成!", "復制完成!", "Copy complete!"},
    {Text::SsidEmpty, "SSID不能为空!", "SSID不能為空!", "SSID can't be empty!"},
    {Text::RouterResetHint, "复位后才能会连接路由,\r\n请检查路由SSID和密码是否正确.",
     "復位后才能会連接路由,\r\n請檢查路由SSID和密碼是否正確.",
     "Reset to connect the routing,\r\n Please check routing SSID and password are correct."},
    {Text::RestartToApply, "修改成功,重启软件才能生效!", "修改成功,重啟軟件才能生效!",
     "Modify success, restart the software to work!"},
    {Text::PasswordTooShort, "密码不能小于8位!", "密碼不能小於8位!",
     "Password cannot be less than eight!"},
    {Text::ModuleTextAscii, "SSID和密码只能使用英文字母、数字和符号!",
     "SSID和密碼只能使用英文字母、數字和符號!",
     "SSID and password take only English letters, digits and symbols!"},
    {Text::Hotspot, "热点", "熱點", "Hot"},
    {Text::Router, "路由", "路由", "Route"},
    {Text::CurrentIp, "当前IP:", "當前IP:", "IP:"},
    {Text::HotspotSsid, "热点SSID:", "熱點SSID:", "HotSSID:"},
    {Text::HotspotPassword, "热点密码:", "热点密码:", "HotPW:"},
    {Text::RouterSsid, "路由SSID:", "路由SSID:", "RouteSSID:"},
    {Text::RouterPassword, "路由密码:", "路由密码:", "RoutePW:"},
    {Text::GetData, "读取\n\t数据", "讀取\n\t數據", "Get\n\tData"},
    {Text::SetHotspot, "设置\n\t热点", "设置\n\t熱點", "Set\n\tHot"},
    {Text::SetRouter, "设置\n\t路由", "设置\n\t路由", "Set\n\tRoute"},
    {Text::MenuApi, "API 接口...", "API 介面...", "API..."},
    {Text::ApiTitle, "远程控制 API", "遠端控制 API", "Remote API"},
    {Text::ApiEnable, "启用远程 API (WebSocket 上的 JSON-RPC)",
     "啟用遠端 API (WebSocket 上的 JSON-RPC)", "Enable the remote API (JSON-RPC over WebSocket)"},
    {Text::ApiAddress, "地址:", "位址:", "Address:"},
    {Text::ApiPort, "端口:", "連接埠:", "Port:"},
    {Text::ApiOscEnable, "OSC (UDP, 仅限本机), 端口:", "OSC (UDP, 僅限本機), 連接埠:",
     "OSC over UDP (this computer only), port:"},
    {Text::ApiToken, "访问令牌:", "存取權杖:", "Access token:"},
    {Text::ApiCopy, "复制", "複製", "Copy"},
    {Text::ApiTokenNeeded, "其他电脑可访问此地址: 客户端必须发送此令牌。",
     "其他電腦可存取此位址: 用戶端必須傳送此權杖。",
     "Other computers can reach this address: clients must send this token."},
    {Text::ApiListening, "正在监听", "正在監聽", "Listening on"},
    {Text::ApiStopped, "未运行", "未執行", "Not running"},
    {Text::ApiNotStarted, "未能启动:", "未能啟動:", "Could not start:"},
    {Text::ApiBadAddress, "地址必须是数字形式, 例如 127.0.0.1",
     "位址必須是數字形式, 例如 127.0.0.1", "The address must be numeric, such as 127.0.0.1"},
    {Text::ApiLoopbackOnly, "已设置 KV816_LOOPBACK_ONLY: 只能使用本机地址 (127.x.x.x, ::1)",
     "已設定 KV816_LOOPBACK_ONLY: 只能使用本機位址 (127.x.x.x, ::1)",
     "KV816_LOOPBACK_ONLY is set: only this computer's addresses (127.x.x.x, ::1)"},
    {Text::MenuEdit, "编辑", "編輯", "Edit"},
    {Text::Undo, "撤销", "復原", "Undo"},
    {Text::Redo, "重做", "重做", "Redo"},
    {Text::HistoryCleared, "撤销记录已清空", "復原記錄已清除", "Undo history cleared"},
    {Text::Polarity, "极性", "極性", "Polarity"},
    {Text::LinkGroup, "联动", "聯動", "Link"},
    {Text::Routing, "输入分配", "輸入分配", "Routing"},
    {Text::ExportFilters, "导出滤波器…", "匯出濾波器…", "Export filters…"},
    {Text::ImportFilters, "导入滤波器…", "匯入濾波器…", "Import filters…"},
    {Text::FilterTextFiles, "滤波器文本 (*.txt)", "濾波器文字 (*.txt)", "Filter text (*.txt)"},
    {Text::ImportedFilters, "已导入滤波器", "已匯入濾波器", "Filters imported"},
    {Text::LoadMeasurement, "测量曲线…", "量測曲線…", "Measurement…"},
    {Text::MeasurementFiles, "测量文件 (*.txt *.frd)", "量測檔案 (*.txt *.frd)",
     "Measurements (*.txt *.frd)"},
    {Text::LevelOffset, "电平偏移", "電平偏移", "Offset"},
    {Text::TargetFlat, "平直", "平直", "Flat"},
    {Text::TargetTilt, "倾斜", "傾斜", "Tilt"},
    {Text::TargetFromFile, "目标文件…", "目標檔案…", "Target file…"},
    {Text::TraceMeasured, "测量", "量測", "Measured"},
    {Text::TracePredicted, "预测", "預測", "Predicted"},
    {Text::FileNotRead, "文件未读取:", "檔案未讀取:", "The file was not read:"},
    {Text::FitButton, "拟合…", "擬合…", "Fit…"},
    {Text::FitEq, "EQ 拟合", "EQ 擬合", "Fit EQ"},
    {Text::TipFit, "用空闲的 PEQ 频段拟合测量曲线", "用空閒的 PEQ 頻段擬合量測曲線",
     "Fit the free PEQ bands to the measurement"},
    {Text::TipFitNeedsMeasurement, "请先载入测量曲线 (测量曲线…)", "請先載入量測曲線 (量測曲線…)",
     "Load a measurement first (Measurement…)"},
    {Text::FitRange, "频率范围", "頻率範圍", "Range"},
    {Text::FitBands, "频段数", "頻段數", "Bands"},
    {Text::FitLockedBands, "锁定的频段 (保持不变)", "鎖定的頻段 (保持不變)",
     "Locked bands (kept as they are)"},
    {Text::FitMaxBoost, "最大提升", "最大提升", "Max boost"},
    {Text::FitQRange, "Q 范围", "Q 範圍", "Q range"},
    {Text::FitSmoothing, "平滑", "平滑", "Smoothing"},
    {Text::SmoothingNone, "无", "無", "None"},
    {Text::SmoothingOctave, "1/%d 倍频程", "1/%d 倍頻程", "1/%d octave"},
    {Text::FitFixedOffset, "固定偏移 (不选: 电平对齐目标)", "固定偏移 (不選: 電平對齊目標)",
     "Fixed offset (off: level aligned to the target)"},
    {Text::FitRunning, "正在拟合…", "正在擬合…", "Fitting…"},
    {Text::FitRmsError, "均方根误差: 拟合前 %.2f dB, 拟合后 %.2f dB",
     "均方根誤差: 擬合前 %.2f dB, 擬合後 %.2f dB", "RMS error: %.2f dB before, %.2f dB after"},
    {Text::FitBefore, "拟合前", "擬合前", "Before"},
    {Text::FitAfter, "拟合后", "擬合後", "After"},
    {Text::Apply, "应用", "套用", "Apply"},
    {Text::FitChannelChanged, "打开此窗口后通道已改变, 已重新拟合; 请检查后再应用。",
     "開啟此視窗後通道已改變, 已重新擬合; 請檢查後再套用。",
     "The channel changed while this window was open; the fit was run again. Check it, then "
     "apply."},
    {Text::FitNoMeasurement, "没有测量曲线: 请先载入。", "沒有量測曲線: 請先載入。",
     "No measurement: load one first."},
    {Text::FitRangeLimits, "频率范围须在 20–20000 Hz 之内, 且至少一个倍频程。",
     "頻率範圍須在 20–20000 Hz 之內, 且至少一個倍頻程。",
     "The range must lie within 20–20000 Hz and span an octave at least."},
    {Text::FitRangeOutside, "频率范围 %g–%g Hz 超出测量曲线 (%g–%g Hz)。",
     "頻率範圍 %g–%g Hz 超出量測曲線 (%g–%g Hz)。",
     "The range %g–%g Hz is outside the measurement (%g–%g Hz)."},
    {Text::FitBandCount, "频段数须为 1 到 10。", "頻段數須為 1 到 10。",
     "The number of bands must be 1 to 10."},
    {Text::FitQRangeBad, "Q 范围须在 0.4–128 之内, 且下限小于上限。",
     "Q 範圍須在 0.4–128 之內, 且下限小於上限。",
     "The Q range must lie within 0.4–128 with its low end below its high end."},
    {Text::FitFewFreeBands, "只有 %d 个频段空闲 (直通或增益为 0, 且未锁定)。",
     "只有 %d 個頻段空閒 (直通或增益為 0, 且未鎖定)。",
     "Only %d bands are free (switched off or flat, and not locked)."},
    {Text::FitTargetCoverage, "目标曲线未覆盖该频率范围。", "目標曲線未覆蓋該頻率範圍。",
     "The target does not cover the range."},
    {Text::FitAlreadyFlat, "测量曲线与目标的均方根误差已在 0.5 dB 以内, 无需拟合。",
     "量測曲線與目標的均方根誤差已在 0.5 dB 以內, 無需擬合。",
     "The measurement is within 0.5 dB RMS of the target already; nothing to fit."},
    {Text::FitNoImprovement, "设备可存储的频段设置都不能降低误差; 未作任何改变。",
     "設備可儲存的頻段設定都不能降低誤差; 未作任何改變。",
     "No band setting the device can store lowers the error; nothing changed."},
    {Text::ImportSuccessful, "导入成功!", "導入成功!", "Import successful!"},
    {Text::ShowPassword, "显示密码", "顯示密碼", "Show password"},
    {Text::Appearance, "外观", "外觀", "Appearance"},
    {Text::AppearanceLight, "浅色", "淺色", "Light"},
    {Text::AppearanceDark, "深色", "深色", "Dark"},
    {Text::AppearanceSystem, "跟随系统", "跟隨系統", "Follow system"},
    {Text::MenuHelp, "帮助", "幫助", "Help"},
    {Text::SaveSupportBundle, "保存支持信息包…", "保存支援資訊包…", "Save support bundle…"},
    {Text::SupportBundleSaved, "支持信息包已保存（未发送到任何地方）:",
     "支援資訊包已保存（未發送到任何地方）:", "Support bundle saved (nothing was sent anywhere):"},
    {Text::SupportBundleFailed,
     "支持信息包未能保存:", "支援資訊包未能保存:", "The support bundle could not be saved:"},
    {Text::TipMute, "静音开/关 (红色 = 已静音)", "靜音開/關 (紅色 = 已靜音)",
     "Mute on/off (red = muted)"},
    {Text::TipPolarity, "极性: + 正相, − 反相", "極性: + 正相, − 反相",
     "Polarity: + normal, − inverted"},
    {Text::TipFader, "拖动或用方向键调节; PgUp/PgDn 大步, Shift 微调, 双击复位",
     "拖動或用方向鍵調節; PgUp/PgDn 大步, Shift 微調, 雙擊復位",
     "Drag or use the arrow keys; PgUp/PgDn coarse, Shift fine, double-click resets"},
    {Text::TipValueEdit, "输入数值 (可带单位: k, Hz, dB, ms, m, in), 回车确认; 方向键或滚轮微调",
     "輸入數值 (可帶單位: k, Hz, dB, ms, m, in), Enter 確認; 方向鍵或滾輪微調",
     "Type a value (units allowed: k, Hz, dB, ms, m, in), Enter to send; arrows or wheel step"},
    {Text::TipBandType, "滤波器类型; ByPass 关闭该段", "濾波器類型; ByPass 關閉該段",
     "Filter type; ByPass switches the band off"},
    {Text::TipSlope, "搁架滤波器斜率", "擱架濾波器斜率", "Shelf slope"},
    {Text::TipEqReset, "将所有频段恢复为出厂值 (会先询问)", "將所有頻段恢復為出廠值 (會先詢問)",
     "Set every band back to its default (asks first)"},
    {Text::TipEqBypass, "旁通均衡 (蓝色 = 已旁通), 增益保留", "旁通均衡 (藍色 = 已旁通), 增益保留",
     "Bypass the equaliser (blue = bypassed); the gains are kept"},
    {Text::TipCrossover, "分频滤波器类型与斜率", "分頻濾波器類型與斜率",
     "Crossover filter family and slope"},
    {Text::TipGraphPoint, "拖动改变频率和增益; 滚轮改变 Q", "拖動改變頻率和增益; 滾輪改變 Q",
     "Drag to change frequency and gain; wheel changes Q"},
    {Text::TipGraphFilter, "H 高通 / L 低通: 左右拖动改变频率", "H 高通 / L 低通: 左右拖動改變頻率",
     "H high-pass / L low-pass: drag sideways to change the frequency"},
    {Text::TipQHandle, "拖动改变 Q (带宽)", "拖動改變 Q (頻寬)", "Drag to change Q (bandwidth)"},
    {Text::TipLinkGroup, "联动组: 同组通道跟随彼此的调节", "聯動組: 同組通道跟隨彼此的調節",
     "Link group: channels of one group follow each other's edits"},
    {Text::FileMenu, "文件", "檔案", "File"},
    {Text::FileNew, "新建", "新建", "New"},
    {Text::FileOpen, "打开...", "打開...", "Open..."},
    {Text::FileSaveAs, "另存为...", "另存為...", "Save As..."},
    {Text::RecentFiles, "最近的文件", "最近的檔案", "Recent Files"},
    {Text::ToolsMenu, "工具", "工具", "Tools"},
    {Text::CompareWithFile, "与文件比较...", "與檔案比較...", "Compare with File..."},
    {Text::CompareTwoFiles, "比较两个文件...", "比較兩個檔案...", "Compare Two Files..."},
    {Text::StateOnline, "在线", "在線", "Online"},
    {Text::StateConnecting, "正在连接", "正在連接", "Connecting"},
    {Text::StateOffline, "离线", "離線", "Offline"},
    {Text::Untitled, "未命名", "未命名", "untitled"},
    {Text::OutOfSync, "与设备不一致", "與設備不一致", "Out of sync"},
    {Text::UnsavedShow, "当前文件有未保存的修改，是否保存？", "當前檔案有未保存的修改，是否保存？",
     "The show has unsaved changes. Save them?"},
    {Text::CompareTitle, "比较", "比較", "Compare"},
    {Text::SendFileToDevice, "发送文件到设备", "發送檔案到設備", "Send file to device"},
    {Text::TakeDeviceValues, "采用设备数值", "採用設備數值", "Take device values"},
    {Text::StayOffline, "保持离线", "保持離線", "Stay offline"},
    {Text::ExportCsv, "导出 CSV", "匯出 CSV", "Export CSV"},
    {Text::DifferenceCount, "%d 处差异", "%d 處差異", "%d differences"},
    {Text::SideFile, "文件", "檔案", "file"},
    {Text::SideDevice, "设备", "設備", "device"},
    {Text::Discard, "不保存", "不保存", "Discard"},
    {Text::NoDifferences, "没有差异", "沒有差異", "No differences"},
    {Text::CancelButton, "取消", "取消", "Cancel"},
    {Text::GoOnline, "连接设备", "連接設備", "Go online"},
    {Text::GoOffline, "断开设备", "斷開設備", "Go offline"},
}};

constexpr bool rowsAreInKeyOrder() {
  for (std::size_t i = 0; i < TEXTS.size(); ++i) {
    if (static_cast<std::size_t>(TEXTS[i].key) != i) {
      return false;
    }
  }
  return true;
}

constexpr bool everyTextIsPresent() {
  for (const TextTriple& row : TEXTS) {
    if (row.simplifiedChinese.empty() || row.traditionalChinese.empty() || row.english.empty()) {
      return false;
    }
  }
  return true;
}

static_assert(rowsAreInKeyOrder(), "one row per key, in key order");
static_assert(everyTextIsPresent(), "every key has its three texts");

} // namespace

std::span<const TextTriple, TEXT_COUNT> TextTable::rows() {
  return TEXTS;
}

const TextTriple& TextTable::triple(Text key) {
  return TEXTS[static_cast<std::size_t>(key)];
}

std::string_view langText(Text key) {
  return langText(key, currentLanguage());
}

std::string_view langText(Text key, LanguageIndex language) {
  const auto row = static_cast<std::size_t>(key);
  if (row >= TEXT_COUNT) {
    return {};
  }
  return TEXTS[row].in(language);
}

std::optional<Text> findText(std::string_view english) {
  for (const TextTriple& row : TEXTS) {
    if (row.english == english) {
      return row.key;
    }
  }
  return std::nullopt;
}

} // namespace kv816
