<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en_US" sourcelanguage="zh_CN">
    <context>
        <name>ConfirmPage</name>
        <message>
            <location filename="../qml/windows/ConfirmPage.qml" line="+17" />
            <source>选择串流模式</source>
            <translation>Streaming mode</translation>
        </message>
        <message>
            <location line="+31" />
            <source>取消</source>
            <translation>Cancel</translation>
        </message>
        <message>
            <location line="+3" />
            <source>确定</source>
            <translation>OK</translation>
        </message>
    </context>
    <context>
        <name>FeedbackPage</name>
        <message>
            <location filename="../qml/windows/FeedbackPage.qml" line="+18" />
            <location line="+85" />
            <source>已达最大文字长度</source>
            <translation>Maximum length reached</translation>
        </message>
        <message>
            <location line="-78" />
            <source>请填写完内容再提交!</source>
            <translation>Please fill in both fields before submitting!</translation>
        </message>
        <message>
            <location line="+4" />
            <source>提交成功!</source>
            <translation>Sent!</translation>
        </message>
        <message>
            <location line="+4" />
            <source>用户反馈</source>
            <translation>Feedback</translation>
        </message>
        <message>
            <location line="+36" />
            <source>问题描述</source>
            <translation>Describe the problem</translation>
        </message>
        <message>
            <location line="+40" />
            <source>联系方式：QQ/手机号</source>
            <translation>Contact: QQ / phone number</translation>
        </message>
        <message>
            <location line="+10" />
            <source>请务必填写真实联系方式，以方便技术支持人员为您解决问题</source>
            <translation>Please give a real contact, so that our support team can help you solve the problem</translation>
        </message>
        <message>
            <location line="+8" />
            <source>提交</source>
            <translation>Submit</translation>
        </message>
    </context>
    <context>
        <name>ModeCard</name>
        <message>
            <location filename="../qml/common/ModeCard.qml" line="+93" />
            <source>开始体验</source>
            <translation>Get started</translation>
        </message>
    </context>
    <context>
        <name>MoreSettingPage</name>
        <message>
            <location filename="../qml/windows/MoreSettingPage.qml" line="+24" />
            <source>请选择需要串流的VR眼镜</source>
            <translation>Choose the VR headset to stream to</translation>
        </message>
        <message>
            <location line="+19" />
            <source>在VR端串流助手的界面上，即可看到VR眼镜的ID</source>
            <translation>The headset's ID is shown in Streaming Assistant on the headset</translation>
        </message>
        <message>
            <location line="+39" />
            <source>连接设备中，请稍后</source>
            <translation>Connecting to the device, please wait</translation>
        </message>
        <message>
            <location line="+27" />
            <source>上次使用</source>
            <translation>Last used</translation>
        </message>
        <message>
            <location line="+21" />
            <source>连接</source>
            <translation>Connect</translation>
        </message>
    </context>
    <context>
        <name>NetworkSetting</name>
        <message>
            <location filename="../qml/windows/NetworkSetting.qml" line="+9" />
            <source>串流配置问题发现</source>
            <translation>Streaming setup problem found</translation>
        </message>
        <message>
            <location line="+11" />
            <source>您在 Windows 中的网络配置文件未设置为私有，这会阻止OSTREL眼镜连接到您的计算机。 打开网络状态窗口并单击网络连接的属性，然后选择“私有”而不是“公共”。 如果您能够毫无问题地连接到您的计算机，则可以忽略此错误。</source>
            <translation>Your network profile in Windows is not set to private, which keeps OSTREL headsets from connecting to your computer. Open the network status window, click the properties of your network connection and choose “Private” instead of “Public”. If you can connect to your computer without problems, you can ignore this message.</translation>
        </message>
        <message>
            <location line="+13" />
            <source>前往设置</source>
            <translation>Open settings</translation>
        </message>
    </context>
    <context>
        <name>PageItem</name>
        <message>
            <location filename="../qml/PageItem.qml" line="+17" />
            <source>请检查数据线是否支持&lt;font color="#FFFFFF"&gt;USB 3.0&lt;/font&gt;</source>
            <translation>Check that the cable supports &lt;font color="#FFFFFF"&gt;USB 3.0&lt;/font&gt;</translation>
        </message>
        <message>
            <location line="+1" />
            <source>请检查数据线是否插入电脑后方的&lt;font color="#FFFFFF"&gt;USB 3.0接口&lt;/font&gt;</source>
            <translation>Check that the cable is plugged into a &lt;font color="#FFFFFF"&gt;USB 3.0 port&lt;/font&gt; on the back of the PC</translation>
        </message>
        <message>
            <location line="+3" />
            <source>在眼镜中打开&lt;font color="#FFFFFF"&gt;串流助手&lt;/font&gt;</source>
            <translation>Open &lt;font color="#FFFFFF"&gt;Streaming Assistant&lt;/font&gt; in the headset</translation>
        </message>
        <message>
            <location line="+1" />
            <source>选择&lt;font color="#FFFFFF"&gt;有线串流&lt;/font&gt;</source>
            <translation>Choose &lt;font color="#FFFFFF"&gt;wired streaming&lt;/font&gt;</translation>
        </message>
        <message>
            <location line="+1" />
            <source>等待片刻，设备将自动开始串流</source>
            <translation>Wait a moment: streaming starts by itself</translation>
        </message>
        <message>
            <location line="+3" />
            <source>请&lt;font color="#FFFFFF"&gt;开启眼镜&lt;/font&gt;，并检查眼镜网络与电脑端&lt;font color="#FFFFFF"&gt;保持一致&lt;/font&gt;</source>
            <translation>&lt;font color="#FFFFFF"&gt;Turn on the headset&lt;/font&gt; and join it to &lt;font color="#FFFFFF"&gt;the PC’s network&lt;/font&gt;</translation>
        </message>
        <message>
            <location line="+1" />
            <source>在眼镜中，&lt;font color="#FFFFFF"&gt;打开串流助手&lt;/font&gt;</source>
            <translation>In the headset, &lt;font color="#FFFFFF"&gt;open Streaming Assistant&lt;/font&gt;</translation>
        </message>
        <message>
            <location line="+10" />
            <source>已连接，戴上眼镜开始串流吧！</source>
            <translation>Connected. Put on the headset and start streaming!</translation>
        </message>
        <message>
            <location line="+1" />
            <location line="+40" />
            <source>连接中</source>
            <translation>Connecting</translation>
        </message>
        <message>
            <location line="-39" />
            <location line="+39" />
            <source>检测中</source>
            <translation>Checking</translation>
        </message>
        <message>
            <location line="-35" />
            <location line="+35" />
            <source>搜索中</source>
            <translation>Searching</translation>
        </message>
        <message>
            <location line="-38" />
            <source>请选择设备连接</source>
            <translation>Choose the device to connect</translation>
        </message>
        <message>
            <location line="+1" />
            <source>请选择眼镜连接</source>
            <translation>Choose the headset to connect</translation>
        </message>
        <message>
            <location line="+31" />
            <source>连接设备中，请稍后</source>
            <translation>Connecting to the device, please wait</translation>
        </message>
        <message>
            <location line="+8" />
            <source>可用的VR眼镜</source>
            <translation>Available VR headsets</translation>
        </message>
        <message>
            <location line="+0" />
            <source>连接步骤</source>
            <translation>How to connect</translation>
        </message>
        <message>
            <location line="+17" />
            <source>停止串流</source>
            <translation>Stop streaming</translation>
        </message>
        <message>
            <location line="+47" />
            <source>上次使用</source>
            <translation>Last used</translation>
        </message>
        <message>
            <location line="+24" />
            <source>已连接</source>
            <translation>Connected</translation>
        </message>
        <message>
            <location line="+0" />
            <source>连接</source>
            <translation>Connect</translation>
        </message>
        <message>
            <location line="+36" />
            <source>切换为无线串流</source>
            <translation>Switch to wireless streaming</translation>
        </message>
        <message>
            <location line="+0" />
            <source>切换为有线串流</source>
            <translation>Switch to wired streaming</translation>
        </message>
        <message>
            <location line="+8" />
            <source>确定切换为无线串流</source>
            <translation>Switch to wireless streaming?</translation>
        </message>
        <message>
            <location line="+0" />
            <source>确定切换为有线串流</source>
            <translation>Switch to wired streaming?</translation>
        </message>
    </context>
    <context>
        <name>PcCheck</name>
        <message>
            <location filename="../src/pccheck.cpp" line="+54" />
            <source>、</source>
            <translation>, </translation>
        </message>
        <message>
            <location line="+6" />
            <source>显卡和驱动</source>
            <translation>Graphics card and driver</translation>
        </message>
        <message>
            <location line="+2" />
            <source>网络类型</source>
            <translation>Network type</translation>
        </message>
        <message>
            <location line="+2" />
            <source>防火墙</source>
            <translation>Firewall</translation>
        </message>
        <message>
            <location line="+2" />
            <source>串流端口</source>
            <translation>Streaming ports</translation>
        </message>
        <message>
            <location line="+2" />
            <source>驱动文件夹</source>
            <translation>Driver folder</translation>
        </message>
        <message>
            <location line="+2" />
            <source>电脑的网络连接</source>
            <translation>PC's network connection</translation>
        </message>
        <message>
            <location line="+2" />
            <source>Wi-Fi 频段</source>
            <translation>Wi-Fi band</translation>
        </message>
        <message>
            <location line="+2" />
            <source>音频输出</source>
            <translation>Audio output</translation>
        </message>
        <message>
            <location line="+2" />
            <source>电源计划</source>
            <translation>Power plan</translation>
        </message>
        <message>
            <location line="+2" />
            <source>Steam 和 SteamVR</source>
            <translation>Steam and SteamVR</translation>
        </message>
        <message>
            <location line="+54" />
            <source>没有找到显卡信息。</source>
            <translation>No graphics card information was found.</translation>
        </message>
        <message>
            <location line="+2" />
            <source>显卡能力表缺失或已损坏，无法评估显卡。</source>
            <translation>The graphics card table is missing or damaged, so the graphics card cannot be rated.</translation>
        </message>
        <message>
            <location line="+2" />
            <source>显卡 %1 达不到串流的要求。</source>
            <translation>The graphics card %1 does not meet the requirements for streaming.</translation>
        </message>
        <message>
            <location line="+7" />
            <source>显卡驱动 %1 较旧，建议更新显卡驱动。</source>
            <translation>The graphics driver %1 is old. Please update the graphics driver.</translation>
        </message>
        <message>
            <location line="+1" />
            <source>显卡驱动 %1 较旧，建议更新到 %2 或更新的版本。</source>
            <translation>The graphics driver %1 is old. Please update to %2 or later.</translation>
        </message>
        <message>
            <location line="+1" />
            <source>打开驱动下载页</source>
            <translation>Open the driver download page</translation>
        </message>
        <message>
            <location line="+3" />
            <source>显卡 %1 可以串流。</source>
            <translation>The graphics card %1 can stream.</translation>
        </message>
        <message>
            <location line="+6" />
            <source>无法读取网络类型。</source>
            <translation>The network type could not be read.</translation>
        </message>
        <message>
            <location line="+2" />
            <source>电脑当前没有连接网络。</source>
            <translation>The PC is not connected to a network.</translation>
        </message>
        <message>
            <location line="+6" />
            <source>未命名网络</source>
            <translation>Unnamed network</translation>
        </message>
        <message>
            <location line="+8" />
            <source>网络“%1”是公用网络，防火墙会拦截串流。</source>
            <translation>The network "%1" is public, so the firewall blocks streaming.</translation>
        </message>
        <message>
            <location line="+2" />
            <source>设为专用网络</source>
            <translation>Make it private</translation>
        </message>
        <message>
            <location line="+4" />
            <source>无法确定当前网络的类型。</source>
            <translation>The type of the current network cannot be determined.</translation>
        </message>
        <message>
            <location line="+1" />
            <source>当前网络是专用网络或域网络。</source>
            <translation>The current network is private or a domain network.</translation>
        </message>
        <message>
            <location line="+59" />
            <source>无法读取防火墙规则。</source>
            <translation>The firewall rules could not be read.</translation>
        </message>
        <message>
            <location line="+2" />
            <source>防火墙没有拦截传入的连接。</source>
            <translation>The firewall does not block incoming connections.</translation>
        </message>
        <message>
            <location line="+2" />
            <source>防火墙设置为阻止所有传入连接，规则无法放行串流。</source>
            <translation>The firewall is set to block all incoming connections, so no rule can let streaming in.</translation>
        </message>
        <message>
            <location line="+3" />
            <source>防火墙已放行 SteamVR 服务器和串流端口。</source>
            <translation>The firewall lets in SteamVR's server and the streaming ports.</translation>
        </message>
        <message>
            <location line="+3" />
            <source>SteamVR 服务器</source>
            <translation>SteamVR server</translation>
        </message>
        <message>
            <location line="+1" />
            <source>防火墙没有放行：%1。</source>
            <translation>The firewall does not let in: %1.</translation>
        </message>
        <message>
            <location line="+2" />
            <source>添加防火墙规则</source>
            <translation>Add firewall rules</translation>
        </message>
        <message>
            <location line="+27" />
            <source>无法读取端口的占用情况。</source>
            <translation>Which programs use the ports could not be read.</translation>
        </message>
        <message>
            <location line="+3" />
            <source>串流端口没有被其他程序占用。</source>
            <translation>No other program uses the streaming ports.</translation>
        </message>
        <message>
            <location line="+9" />
            <source>%1 占用了串流端口 %2。</source>
            <translation>%1 uses the streaming port %2.</translation>
        </message>
        <message>
            <location line="+1" />
            <source>结束 %1</source>
            <translation>End %1</translation>
        </message>
        <message>
            <location line="+41" />
            <source>驱动文件夹在同步文件夹 %1 中，SteamVR 无法从这里加载驱动。请把程序移到本地文件夹，例如 %2。</source>
            <translation>The driver folder is inside the synced folder %1, and SteamVR cannot load a driver from there. Please move the program to a local folder, for example %2.</translation>
        </message>
        <message>
            <location line="+3" />
            <source>驱动文件夹的路径 SteamVR 可以读取。</source>
            <translation>SteamVR can read the driver folder's path.</translation>
        </message>
        <message>
            <location line="+3" />
            <source>驱动文件夹的路径含有中文等字符，SteamVR 无法读取，这个磁盘也没有短路径。请把程序移到只含英文字母和数字的文件夹，例如 %1。</source>
            <translation>The driver folder's path holds characters such as Chinese that SteamVR cannot read, and this drive has no short paths. Please move the program to a folder whose path holds only English letters and digits, for example %1.</translation>
        </message>
        <message>
            <location line="+4" />
            <source>驱动以含有中文的路径注册，SteamVR 无法读取。</source>
            <translation>The driver is registered by a path with Chinese characters, which SteamVR cannot read.</translation>
        </message>
        <message>
            <location line="+1" />
            <source>通过短路径注册</source>
            <translation>Register by the short path</translation>
        </message>
        <message>
            <location line="+2" />
            <source>驱动文件夹的路径含有中文等字符，SteamVR 通过短路径 %1 加载驱动。</source>
            <translation>The driver folder's path holds characters such as Chinese; SteamVR loads the driver through the short path %1.</translation>
        </message>
        <message>
            <location line="+15" />
            <source>有线串流不经过路由器。</source>
            <translation>Wired streaming does not go through the router.</translation>
        </message>
        <message>
            <location line="+2" />
            <source>无法确定电脑怎样连接路由器。</source>
            <translation>How the PC connects to the router cannot be determined.</translation>
        </message>
        <message>
            <location line="+3" />
            <source>电脑通过 Wi-Fi 连接路由器。无线串流时，建议用网线把电脑接到路由器的千兆网口。</source>
            <translation>The PC reaches the router over Wi-Fi. For wireless streaming, connect the PC to a gigabit port of the router with a cable.</translation>
        </message>
        <message>
            <location line="+3" />
            <source>电脑用网线连接路由器，但读不到连接速率。</source>
            <translation>The PC reaches the router by cable, but the link speed could not be read.</translation>
        </message>
        <message>
            <location line="+2" />
            <source>电脑与路由器的网线连接只有 %1，建议使用千兆网线和千兆网口。</source>
            <translation>The cable link between the PC and the router runs at only %1. Please use a gigabit cable and gigabit ports.</translation>
        </message>
        <message>
            <location line="+2" />
            <source>电脑用网线以 %1 连接路由器。</source>
            <translation>The PC reaches the router by cable at %1.</translation>
        </message>
        <message>
            <location line="+5" />
            <source>电脑通过 %1 上网，无法判断它与路由器的连接。</source>
            <translation>The PC goes online through %1; its link to the router cannot be judged.</translation>
        </message>
        <message>
            <location line="+6" />
            <source>无法确定电脑是否使用 Wi-Fi。</source>
            <translation>Whether the PC uses Wi-Fi cannot be determined.</translation>
        </message>
        <message>
            <location line="+2" />
            <source>电脑没有使用 Wi-Fi。</source>
            <translation>The PC does not use Wi-Fi.</translation>
        </message>
        <message>
            <location line="+2" />
            <source>无法读取电脑所连 Wi-Fi 的频段。</source>
            <translation>The band of the PC's Wi-Fi could not be read.</translation>
        </message>
        <message>
            <location line="+2" />
            <source>电脑连接的是 2.4 GHz 的 Wi-Fi，建议改连 5 GHz 或 6 GHz 的 Wi-Fi。</source>
            <translation>The PC is on 2.4 GHz Wi-Fi. Please connect it to 5 GHz or 6 GHz Wi-Fi instead.</translation>
        </message>
        <message>
            <location line="+2" />
            <source>电脑连接的是 6 GHz 的 Wi-Fi。</source>
            <translation>The PC is on 6 GHz Wi-Fi.</translation>
        </message>
        <message>
            <location line="+1" />
            <source>电脑连接的是 5 GHz 的 Wi-Fi。</source>
            <translation>The PC is on 5 GHz Wi-Fi.</translation>
        </message>
        <message>
            <location line="+6" />
            <source>无法读取音频输出设备。</source>
            <translation>The audio output devices could not be read.</translation>
        </message>
        <message>
            <location line="+2" />
            <source>电脑没有音频输出设备，串流时没有声音。</source>
            <translation>The PC has no audio output device, so streaming has no sound.</translation>
        </message>
        <message>
            <location line="+0" />
            <source>安装虚拟声卡</source>
            <translation>Install the virtual sound card</translation>
        </message>
        <message>
            <location line="+1" />
            <source>音频输出设备：%1。</source>
            <translation>Audio output device: %1.</translation>
        </message>
        <message>
            <location line="+6" />
            <source>无法读取电源计划。</source>
            <translation>The power plan could not be read.</translation>
        </message>
        <message>
            <location line="+3" />
            <source>电源计划“%1”是节能计划，会限制显卡性能。</source>
            <translation>The power plan "%1" saves power and holds the graphics card back.</translation>
        </message>
        <message>
            <location line="+2" />
            <source>切换到高性能</source>
            <translation>Switch to High performance</translation>
        </message>
        <message>
            <location line="+6" />
            <source>电源计划“%1”不限制显卡性能。</source>
            <translation>The power plan "%1" does not hold the graphics card back.</translation>
        </message>
        <message>
            <location line="+4" />
            <source>无法判断电源计划“%1”是否节能。</source>
            <translation>Whether the power plan "%1" saves power cannot be judged.</translation>
        </message>
        <message>
            <location line="+6" />
            <source>没有安装 Steam。</source>
            <translation>Steam is not installed.</translation>
        </message>
        <message>
            <location line="+0" />
            <source>安装 Steam</source>
            <translation>Install Steam</translation>
        </message>
        <message>
            <location line="+2" />
            <source>没有安装 SteamVR。</source>
            <translation>SteamVR is not installed.</translation>
        </message>
        <message>
            <location line="+0" />
            <source>安装 SteamVR</source>
            <translation>Install SteamVR</translation>
        </message>
        <message>
            <location line="+2" />
            <source>Steam 和 SteamVR 已安装，但读不到 SteamVR 的版本。</source>
            <translation>Steam and SteamVR are installed, but SteamVR's version could not be read.</translation>
        </message>
        <message>
            <location line="+1" />
            <source>Steam 和 SteamVR 已安装，SteamVR 版本 %1。</source>
            <translation>Steam and SteamVR are installed, SteamVR version %1.</translation>
        </message>
        <message>
            <location line="+43" />
            <source>无法启动所需的系统工具</source>
            <translation>the system tool it needs could not be started</translation>
        </message>
        <message>
            <location line="+2" />
            <source>系统工具没有在规定时间内完成</source>
            <translation>the system tool did not finish in time</translation>
        </message>
        <message>
            <location line="+7" />
            <source>退出码 %1</source>
            <translation>exit code %1</translation>
        </message>
    </context>
    <context>
        <name>PcCheckPage</name>
        <message>
            <location filename="../qml/windows/PcCheckPage.qml" line="+44" />
            <source>正在保存报告……</source>
            <translation>Saving the report…</translation>
        </message>
        <message>
            <location line="+9" />
            <source>检查我的电脑</source>
            <translation>Check my PC</translation>
        </message>
        <message>
            <location line="+13" />
            <source>报告已保存到 %1</source>
            <translation>Report saved to %1</translation>
        </message>
        <message>
            <location line="+5" />
            <source>报告没有保存：%1</source>
            <translation>The report was not saved: %1</translation>
        </message>
        <message>
            <location line="+62" />
            <source>取消</source>
            <translation>Cancel</translation>
        </message>
        <message>
            <location line="+3" />
            <source>结束</source>
            <translation>End</translation>
        </message>
        <message>
            <location line="+24" />
            <source>重新检查</source>
            <translation>Check again</translation>
        </message>
        <message>
            <location line="+13" />
            <source>保存报告给技术支持</source>
            <translation>Save a report for support</translation>
        </message>
    </context>
    <context>
        <name>PcCheckRow</name>
        <message>
            <location filename="../qml/common/PcCheckRow.qml" line="+21" />
            <source>通过</source>
            <translation>Passed</translation>
        </message>
        <message>
            <location line="+0" />
            <source>警告</source>
            <translation>Warning</translation>
        </message>
        <message>
            <location line="+0" />
            <source>未通过</source>
            <translation>Failed</translation>
        </message>
        <message>
            <location line="+0" />
            <source>无法检查</source>
            <translation>Could not check</translation>
        </message>
        <message>
            <location line="+50" />
            <source>检查中</source>
            <translation>Checking</translation>
        </message>
        <message>
            <location line="+0" />
            <source>未检查</source>
            <translation>Not checked</translation>
        </message>
    </context>
    <context>
        <name>PcChecker</name>
        <message>
            <location filename="../src/pcchecker.cpp" line="+101" />
            <source>检查超时，请再检查一次。</source>
            <translation>The check took too long. Please check again.</translation>
        </message>
        <message>
            <location filename="../src/pcchecker_fixes.cpp" line="+148" />
            <source>要结束 %1 吗？它未保存的内容会丢失。</source>
            <translation>End %1? Anything it has not saved will be lost.</translation>
        </message>
        <message>
            <location line="+22" />
            <source>请等这一项检查完再修复。</source>
            <translation>Please wait until this check has finished before fixing it.</translation>
        </message>
        <message>
            <location line="+5" />
            <location line="+85" />
            <source>这一项没有可用的修复。</source>
            <translation>There is no fix for this item.</translation>
        </message>
        <message>
            <location line="-80" />
            <source>结束程序之前需要确认。</source>
            <translation>Ending a program needs your confirmation first.</translation>
        </message>
        <message>
            <location line="+15" />
            <source>已打开显卡驱动的下载页。</source>
            <translation>The graphics driver download page is open.</translation>
        </message>
        <message>
            <location line="-158" />
            <source>修复失败：%1</source>
            <translation>The fix failed: %1</translation>
        </message>
        <message>
            <location line="+158" />
            <source>无法打开 %1</source>
            <translation>%1 could not be opened</translation>
        </message>
        <message>
            <location line="+5" />
            <source>已启动虚拟声卡的安装程序。</source>
            <translation>The virtual sound card's installer has started.</translation>
        </message>
        <message>
            <location line="+0" />
            <source>无法启动安装程序</source>
            <translation>the installer could not be started</translation>
        </message>
        <message>
            <location line="+4" />
            <source>已打开 Steam 的下载页。</source>
            <translation>The Steam download page is open.</translation>
        </message>
        <message>
            <location line="+0" />
            <source>无法打开 Steam 的下载页</source>
            <translation>the Steam download page could not be opened</translation>
        </message>
        <message>
            <location line="+4" />
            <source>已请 Steam 安装 SteamVR。</source>
            <translation>Steam has been asked to install SteamVR.</translation>
        </message>
        <message>
            <location line="+0" />
            <source>无法打开 Steam</source>
            <translation>Steam could not be opened</translation>
        </message>
        <message>
            <location line="+34" />
            <source>没有在规定时间内完成</source>
            <translation>it did not finish in time</translation>
        </message>
        <message>
            <location line="-187" />
            <source>找不到 %1</source>
            <translation>%1 was not found</translation>
        </message>
        <message>
            <location line="+23" />
            <source>没有需要修改的内容</source>
            <translation>there is nothing to change</translation>
        </message>
        <message>
            <location line="+173" />
            <source>已把网络设为专用网络。</source>
            <translation>The network is now private.</translation>
        </message>
        <message>
            <location line="+2" />
            <source>已添加防火墙规则。</source>
            <translation>The firewall rules have been added.</translation>
        </message>
        <message>
            <location line="-154" />
            <source>已切换到高性能电源计划。</source>
            <translation>Switched to the High performance power plan.</translation>
        </message>
        <message>
            <location line="+3" />
            <source>已切换到平衡电源计划。</source>
            <translation>Switched to the Balanced power plan.</translation>
        </message>
        <message>
            <location line="+14" />
            <source>无法结束 %1（进程 %2）</source>
            <translation>%1 (process %2) could not be ended</translation>
        </message>
        <message>
            <location line="+5" />
            <source>已结束 %1。</source>
            <translation>%1 has been ended.</translation>
        </message>
        <message>
            <location line="+9" />
            <source>没有短路径</source>
            <translation>there is no short path</translation>
        </message>
        <message>
            <location line="+3" />
            <source>已通过短路径 %1 注册驱动。</source>
            <translation>The driver is registered through the short path %1.</translation>
        </message>
    </context>
    <context>
        <name>PowerDownPage</name>
        <message>
            <location filename="../qml/windows/PowerDownPage.qml" line="+31" />
            <source>操作提示</source>
            <translation>Notice</translation>
        </message>
        <message>
            <location line="+14" />
            <source>请将笔记本接入电源，以免断电影响串流体验</source>
            <translation>Plug your laptop into power, so that a flat battery does not interrupt streaming</translation>
        </message>
        <message>
            <location line="+19" />
            <source>插入电源后提示才会消失哦</source>
            <translation>This notice goes away once power is connected</translation>
        </message>
    </context>
    <context>
        <name>QObject</name>
        <message>
            <location filename="../src/nerevmanager.cpp" line="+241" />
            <source>Marelle眼镜</source>
            <translation>Marelle headset</translation>
        </message>
        <message>
            <location line="+1" />
            <source>眼镜ID：</source>
            <translation>Headset </translation>
        </message>
        <message>
            <location line="-60" />
            <source>当前配置</source>
            <translation>This PC</translation>
        </message>
        <message>
            <location line="+1" />
            <source>最低配置</source>
            <translation>Minimum</translation>
        </message>
        <message>
            <location line="+3" />
            <source>推荐配置</source>
            <translation>Recommended</translation>
        </message>
        <message>
            <location line="-12" />
            <source>操作系统：</source>
            <translation>Operating system:</translation>
        </message>
        <message>
            <location line="+0" />
            <location line="+15" />
            <source>处理器：</source>
            <translation>Processor:</translation>
        </message>
        <message>
            <location line="-15" />
            <source>内存：</source>
            <translation>Memory:</translation>
        </message>
        <message>
            <location line="+1" />
            <location line="+14" />
            <source>显卡：</source>
            <translation>Graphics:</translation>
        </message>
        <message>
            <location line="-14" />
            <source>DirectX 版本：</source>
            <translation>DirectX version:</translation>
        </message>
        <message>
            <location filename="../src/nerevmanager_connection.cpp" line="+26" />
            <source>切换模式中，请稍后再试</source>
            <translation>Switching modes, please try again in a moment</translation>
        </message>
        <message>
            <location line="+36" />
            <source>正在重启，请稍候</source>
            <translation>Restarting, please wait</translation>
        </message>
        <message>
            <location line="+75" />
            <source>steam启动中，请勿操作</source>
            <translation>Steam is starting, please wait</translation>
        </message>
        <message>
            <location line="-28" />
            <source>请使用管理员权限打开steam，或安装此程序到非系统目录</source>
            <translation>Open Steam with administrator rights, or install this program outside the system folders</translation>
        </message>
        <message>
            <location filename="../src/nerevmanager_tick.cpp" line="+101" />
            <source>当前无音频设备或音频设备是多声道，请切换成双声道模式或者切换双声道音频设备</source>
            <translation>There is no audio device, or it is multichannel. Switch it to stereo or choose a stereo audio device</translation>
        </message>
        <message>
            <location filename="../src/nerevmanager_connection.cpp" line="+214" />
            <source>设备连接失败，请插拔眼镜再试</source>
            <translation>The device could not connect. Unplug the headset, plug it in again and retry</translation>
        </message>
        <message>
            <location line="-100" />
            <source>正在登录steam，请稍等</source>
            <translation>Signing in to Steam, please wait</translation>
        </message>
        <message>
            <location line="+7" />
            <source>正在准备打开或者安装SteamVR,确保已登录steam</source>
            <translation>Getting SteamVR ready to open or install; make sure you are signed in to Steam</translation>
        </message>
        <message>
            <location filename="../src/nerevmanager_quality.cpp" line="+84" />
            <source>steamVR重启设置中，请勿操作</source>
            <translation>Restarting SteamVR with the new settings, please wait</translation>
        </message>
    </context>
    <context>
        <name>SelectModePage</name>
        <message>
            <location filename="../qml/windows/SelectModePage.qml" line="+26" />
            <source>无线串流·自由无拘束</source>
            <translation>Wireless · Move freely</translation>
        </message>
        <message>
            <location line="+2" />
            <source>·&lt;font color="#FFFFFF"&gt;5GHz频段&lt;/font&gt;无线路由器</source>
            <translation>·A wireless router with a &lt;font color="#FFFFFF"&gt;5 GHz band&lt;/font&gt;</translation>
        </message>
        <message>
            <location line="+1" />
            <source>·电脑需要使用&lt;font color="#FFFFFF"&gt;6类&lt;/font&gt;以上网线，连接&lt;font color="#FFFFFF"&gt;千兆以上&lt;/font&gt;网口路由器</source>
            <translation>·Connect the PC with a &lt;font color="#FFFFFF"&gt;Cat 6&lt;/font&gt; or better cable to a router with a &lt;font color="#FFFFFF"&gt;gigabit&lt;/font&gt; port</translation>
        </message>
        <message>
            <location line="+1" />
            <source>·使用时，设备尽量靠近路由器，不要隔墙使用</source>
            <translation>·Keep the headset close to the router, with no wall in between</translation>
        </message>
        <message>
            <location line="+9" />
            <source>有线串流·更快更清晰</source>
            <translation>Wired · Faster and sharper</translation>
        </message>
        <message>
            <location line="+2" />
            <source>·符合&lt;font color="#FFFFFF"&gt;3.0&lt;/font&gt;标准的 &lt;font color="#FFFFFF"&gt;Type-C to C&lt;/font&gt; 数据线或 &lt;font color="#FFFFFF"&gt;USB to Type-C&lt;/font&gt; 数据线</source>
            <translation>·A &lt;font color="#FFFFFF"&gt;Type-C to C&lt;/font&gt; or &lt;font color="#FFFFFF"&gt;USB to Type-C&lt;/font&gt; cable that meets the USB &lt;font color="#FFFFFF"&gt;3.0&lt;/font&gt; standard</translation>
        </message>
        <message>
            <location line="+1" />
            <source>·电脑接口符合&lt;font color="#FFFFFF"&gt;3.0&lt;/font&gt;标准</source>
            <translation>·A USB &lt;font color="#FFFFFF"&gt;3.0&lt;/font&gt; port on the PC</translation>
        </message>
    </context>
    <context>
        <name>SettingPage</name>
        <message>
            <location filename="../qml/windows/SettingPage.qml" line="+11" />
            <source>流畅</source>
            <translation>Smooth</translation>
        </message>
        <message>
            <location line="+0" />
            <source>标准</source>
            <translation>Standard</translation>
        </message>
        <message>
            <location line="+0" />
            <source>高清</source>
            <translation>High</translation>
        </message>
        <message>
            <location line="+0" />
            <source>自定义</source>
            <translation>Custom</translation>
        </message>
        <message>
            <location line="+1" />
            <source>H.264</source>
            <translation>H.264</translation>
        </message>
        <message>
            <location line="+0" />
            <source>HEVC</source>
            <translation>HEVC</translation>
        </message>
        <message>
            <location line="+0" />
            <source>HEVC-10bit</source>
            <translation>HEVC-10bit</translation>
        </message>
        <message>
            <location line="+0" />
            <source>AV1-10bit</source>
            <translation>AV1-10bit</translation>
        </message>
        <message>
            <location line="+22" />
            <source>请安装完成虚拟麦克风再试</source>
            <translation>Finish installing the virtual microphone, then try again</translation>
        </message>
        <message>
            <location line="+10" />
            <source>已是当前配置</source>
            <translation>These are already the current settings</translation>
        </message>
        <message>
            <location line="+5" />
            <source>切换码率</source>
            <translation>Bit rate changed</translation>
        </message>
        <message>
            <location line="+10" />
            <source>设置</source>
            <translation>Settings</translation>
        </message>
        <message>
            <location line="+26" />
            <source>清晰度设置</source>
            <translation>Image quality</translation>
        </message>
        <message>
            <location line="+76" />
            <source>渲染分辨率</source>
            <translation>Render resolution</translation>
        </message>
        <message>
            <location line="+40" />
            <source>码率</source>
            <translation>Bit rate</translation>
        </message>
        <message>
            <location line="+33" />
            <source>帧率</source>
            <translation>Frame rate</translation>
        </message>
        <message>
            <location line="+23" />
            <source>视频编码方式</source>
            <translation>Video codec</translation>
        </message>
        <message>
            <location line="+46" />
            <source>AV1编码方式仅MR支持</source>
            <translation>The AV1 codec is supported on MR headsets only</translation>
        </message>
        <message>
            <location line="+11" />
            <source>麦克风串流</source>
            <translation>Stream the microphone</translation>
        </message>
        <message>
            <location line="+32" />
            <source>应用并重启</source>
            <translation>Apply and restart</translation>
        </message>
    </context>
    <context>
        <name>SingleAppTip</name>
        <message>
            <location filename="../qml/windows/SingleAppTip.qml" line="+11" />
            <source>提示</source>
            <translation>Notice</translation>
        </message>
        <message>
            <location line="+20" />
            <source>应用程序已打开</source>
            <translation>The program is already open</translation>
        </message>
        <message>
            <location line="+13" />
            <source>确定</source>
            <translation>OK</translation>
        </message>
    </context>
    <context>
        <name>SteamManager</name>
        <message>
            <location filename="../src/steammanager.cpp" line="+159" />
            <source>Steam正在启动中，请稍候</source>
            <translation>Steam is starting, please wait</translation>
        </message>
        <message>
            <location line="+21" />
            <source>启动Steam失败</source>
            <translation>Steam could not be started</translation>
        </message>
        <message>
            <location line="+17" />
            <source>未找到Steam安装路径</source>
            <translation>Steam's installation folder was not found</translation>
        </message>
        <message>
            <location line="+166" />
            <source>正在重启，请等待</source>
            <translation>Restarting, please wait</translation>
        </message>
    </context>
    <context>
        <name>SteamPageItem</name>
        <message>
            <location filename="../qml/SteamPageItem.qml" line="+24" />
            <source>已就绪</source>
            <translation>Ready</translation>
        </message>
        <message>
            <location line="+4" />
            <source>请按以下步骤操作</source>
            <translation>Follow the steps below</translation>
        </message>
        <message>
            <location line="+18" />
            <location line="+18" />
            <source>Steam软件</source>
            <translation>Steam</translation>
        </message>
        <message>
            <location line="-17" />
            <source>检测中</source>
            <translation>Checking</translation>
        </message>
        <message>
            <location line="+1" />
            <source>软件下载</source>
            <translation>Software</translation>
        </message>
        <message>
            <location line="+16" />
            <source>安装Steam软件</source>
            <translation>Install Steam</translation>
        </message>
        <message>
            <location line="+1" />
            <location line="+10" />
            <source>安装</source>
            <translation>Install</translation>
        </message>
        <message>
            <location line="-10" />
            <location line="+10" />
            <source>已启动</source>
            <translation>Running</translation>
        </message>
        <message>
            <location line="-10" />
            <location line="+10" />
            <source>启动</source>
            <translation>Start</translation>
        </message>
        <message>
            <location line="-1" />
            <source>安装Steam VR软件</source>
            <translation>Install SteamVR</translation>
        </message>
        <message>
            <location line="+0" />
            <source>Steam VR软件</source>
            <translation>SteamVR</translation>
        </message>
        <message>
            <location line="+20" />
            <source>&lt;font color="#FFFFFF"&gt;未检测&lt;/font&gt;到已安装的Steam时，请&lt;font color="#FFFFFF"&gt;手动启动&lt;/font&gt;</source>
            <translation>If an installed Steam is &lt;font color="#FFFFFF"&gt;not detected&lt;/font&gt;, &lt;font color="#FFFFFF"&gt;start it yourself&lt;/font&gt;</translation>
        </message>
        <message>
            <location line="+9" />
            <source>Steam VR检测不到设备？</source>
            <translation>SteamVR does not detect the headset?</translation>
        </message>
    </context>
    <context>
        <name>SystemInfo</name>
        <message>
            <location filename="../src/systeminfo.cpp" line="+114" />
            <source>Intel Core i5-6600/AMD锐龙3 1300X同等性能及以上</source>
            <translation>Intel Core i5-6600 / AMD Ryzen 3 1300X or equivalent and above</translation>
        </message>
        <message>
            <location line="+1" />
            <source>Intel Core i7-9700/AMD 锐龙5 3600 同等性能及以上</source>
            <translation>Intel Core i7-9700 / AMD Ryzen 5 3600 or equivalent and above</translation>
        </message>
        <message>
            <location line="+1" />
            <source>NVDIA GeFore GTX 970/AMD RX 480 同等性能及以上</source>
            <translation>NVIDIA GeForce GTX 970 / AMD RX 480 or equivalent and above</translation>
        </message>
        <message>
            <location line="+1" />
            <source>NVDIA GeFore RTX 3060/AMD RX 6600XT 同等性能及以上</source>
            <translation>NVIDIA GeForce RTX 3060 / AMD RX 6600 XT or equivalent and above</translation>
        </message>
    </context>
    <context>
        <name>SystemInfoPage</name>
        <message>
            <location filename="../qml/windows/SystemInfoPage.qml" line="+9" />
            <source>配置对比</source>
            <translation>Configuration comparison</translation>
        </message>
    </context>
    <context>
        <name>SystemPageItem</name>
        <message>
            <location filename="../qml/SystemPageItem.qml" line="+23" />
            <source>本机配置符合要求</source>
            <translation>This PC meets the requirements</translation>
        </message>
        <message>
            <location line="+4" />
            <source>本机配置无法串流</source>
            <translation>This PC cannot stream</translation>
        </message>
        <message>
            <location line="+5" />
            <source>PC配置</source>
            <translation>Your PC</translation>
        </message>
        <message>
            <location line="+2" />
            <source>检测中</source>
            <translation>Checking</translation>
        </message>
        <message>
            <location line="+1" />
            <source>PC说明</source>
            <translation>PC details</translation>
        </message>
        <message>
            <location line="+20" />
            <source>发现问题，去修复</source>
            <translation>Problems found: fix them</translation>
        </message>
        <message>
            <location line="+0" />
            <source>检查我的电脑</source>
            <translation>Check my PC</translation>
        </message>
        <message>
            <location line="+30" />
            <source>查看更多配置</source>
            <translation>See the full configuration</translation>
        </message>
    </context>
    <context>
        <name>UpdateGpuDriverTips</name>
        <message>
            <location filename="../qml/windows/UpdateGpuDriverTips.qml" line="+7" />
            <source>提示</source>
            <translation>Notice</translation>
        </message>
        <message>
            <location line="+11" />
            <source>显卡驱动版本过低无法串流，请先更新驱动版本再进行串流</source>
            <translation>Your graphics driver is too old to stream. Update the driver, then start streaming</translation>
        </message>
    </context>
    <context>
        <name>UpdatePage</name>
        <message>
            <location filename="../qml/windows/UpdatePage.qml" line="+19" />
            <source>安装失败请重试！</source>
            <translation>Installation failed, please try again!</translation>
        </message>
        <message>
            <location line="+25" />
            <source>自动更新</source>
            <translation>Update</translation>
        </message>
        <message>
            <location line="+7" />
            <source>您的串流工具需安装如下更新才能使用</source>
            <translation>Your streaming tool needs the following update</translation>
        </message>
        <message>
            <location line="+16" />
            <source>此版本为强更，取消后将关闭程序</source>
            <translation>This update is required: cancelling closes the program</translation>
        </message>
        <message>
            <location line="+12" />
            <source>立即安装</source>
            <translation>Install now</translation>
        </message>
        <message>
            <location line="+3" />
            <source>取消</source>
            <translation>Cancel</translation>
        </message>
    </context>
    <context>
        <name>UsePortProcessTips</name>
        <message>
            <location filename="../qml/windows/UsePortProcessTips.qml" line="+11" />
            <source>提示</source>
            <translation>Notice</translation>
        </message>
        <message>
            <location line="+12" />
            <source>端口“</source>
            <translation>The streaming ports are in use by “</translation>
        </message>
        <message>
            <location line="+0" />
            <source>”已被占用，请先关闭这些程序再进行串流</source>
            <translation>”. Close these programs, then start streaming</translation>
        </message>
    </context>
    <context>
        <name>mainWindow</name>
        <message>
            <location filename="../qml/mainWindow.qml" line="+80" />
            <source>串流助手</source>
            <translation>Streaming Assistant</translation>
        </message>
        <message>
            <location line="+69" />
            <source>使用帮助</source>
            <translation>Help</translation>
        </message>
        <message>
            <location line="+6" />
            <source>用户反馈</source>
            <translation>Feedback</translation>
        </message>
        <message>
            <location line="+102" />
            <source>恭喜您完成所有步骤，戴上VR设备开始畅玩游戏吧！～</source>
            <translation>All steps are done. Put on your VR headset and enjoy your games!</translation>
        </message>
        <message>
            <location line="+1" />
            <source>完成下列步骤，即可畅玩Steam游戏大作</source>
            <translation>Complete the steps below to play the great games on Steam</translation>
        </message>
        <message>
            <location line="+11" />
            <source>不再提示</source>
            <translation>Don't show again</translation>
        </message>
    </context>
</TS>
