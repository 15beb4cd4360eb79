<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="ja_JP" sourcelanguage="zh_CN">
    <context>
        <name>ConfirmPage</name>
        <message>
            <location filename="../qml/windows/ConfirmPage.qml" line="+16" />
            <source>选择串流模式</source>
            <translation>ストリーミングモード</translation>
        </message>
        <message>
            <location line="+37" />
            <source>取消</source>
            <translation>キャンセル</translation>
        </message>
        <message>
            <location line="+9" />
            <source>确定</source>
            <translation>OK</translation>
        </message>
    </context>
    <context>
        <name>FeedbackPage</name>
        <message>
            <location filename="../qml/windows/FeedbackPage.qml" line="+17" />
            <location line="+85" />
            <source>已达最大文字长度</source>
            <translation>文字数の上限に達しました</translation>
        </message>
        <message>
            <location line="-78" />
            <source>请填写完内容再提交!</source>
            <translation>すべて入力してから送信してください！</translation>
        </message>
        <message>
            <location line="+4" />
            <source>提交成功!</source>
            <translation>送信しました！</translation>
        </message>
        <message>
            <location line="+4" />
            <source>用户反馈</source>
            <translation>フィードバック</translation>
        </message>
        <message>
            <location line="+36" />
            <source>问题描述</source>
            <translation>問題の説明</translation>
        </message>
        <message>
            <location line="+40" />
            <source>联系方式：QQ/手机号</source>
            <translation>連絡先：QQ／電話番号</translation>
        </message>
        <message>
            <location line="+10" />
            <source>请务必填写真实联系方式，以方便技术支持人员为您解决问题</source>
            <translation>サポート担当者が問題を解決できるよう、正しい連絡先を入力してください</translation>
        </message>
        <message>
            <location line="+8" />
            <source>提交</source>
            <translation>送信</translation>
        </message>
    </context>
    <context>
        <name>ModeCard</name>
        <message>
            <location filename="../qml/common/ModeCard.qml" line="+85" />
            <source>开始体验</source>
            <translation>はじめる</translation>
        </message>
    </context>
    <context>
        <name>MoreSettingPage</name>
        <message>
            <location filename="../qml/windows/MoreSettingPage.qml" line="+17" />
            <source>请选择需要串流的VR眼镜</source>
            <translation>ストリーミングするVRゴーグルを選択</translation>
        </message>
        <message>
            <location line="+19" />
            <source>在VR端串流助手的界面上，即可看到VR眼镜的ID</source>
            <translation>ゴーグルのIDは、ゴーグル側のストリーミングアシスタントの画面に表示されます</translation>
        </message>
        <message>
            <location line="+32" />
            <source>连接设备中，请稍后</source>
            <translation>デバイスに接続しています。しばらくお待ちください</translation>
        </message>
        <message>
            <location line="+27" />
            <source>上次使用</source>
            <translation>前回使用</translation>
        </message>
        <message>
            <location line="+21" />
            <source>连接</source>
            <translation>接続</translation>
        </message>
    </context>
    <context>
        <name>NetworkSetting</name>
        <message>
            <location filename="../qml/windows/NetworkSetting.qml" line="+8" />
            <source>串流配置问题发现</source>
            <translation>ストリーミング設定の問題が見つかりました</translation>
        </message>
        <message>
            <location line="+11" />
            <source>您在 Windows 中的网络配置文件未设置为私有，这会阻止OSTREL眼镜连接到您的计算机。 打开网络状态窗口并单击网络连接的属性，然后选择“私有”而不是“公共”。 如果您能够毫无问题地连接到您的计算机，则可以忽略此错误。</source>
            <translation>Windowsのネットワークプロファイルがプライベートに設定されていないため、OSTRELゴーグルがコンピューターに接続できません。ネットワークの状態ウィンドウを開いてネットワーク接続のプロパティをクリックし、「パブリック」ではなく「プライベート」を選択してください。問題なくコンピューターに接続できている場合は、このエラーを無視してかまいません。</translation>
        </message>
        <message>
            <location line="+13" />
            <source>前往设置</source>
            <translation>設定を開く</translation>
        </message>
    </context>
    <context>
        <name>PageItem</name>
        <message>
            <location filename="../qml/PageItem.qml" line="+16" />
            <source>请检查数据线是否支持&lt;font color="#FFFFFF"&gt;USB 3.0&lt;/font&gt;</source>
            <translation>ケーブルが&lt;font color="#FFFFFF"&gt;USB 3.0&lt;/font&gt;に対応しているか確認してください</translation>
        </message>
        <message>
            <location line="+1" />
            <source>请检查数据线是否插入电脑后方的&lt;font color="#FFFFFF"&gt;USB 3.0接口&lt;/font&gt;</source>
            <translation>ケーブルがPC背面の&lt;font color="#FFFFFF"&gt;USB 3.0ポート&lt;/font&gt;に接続されているか確認してください</translation>
        </message>
        <message>
            <location line="+3" />
            <source>在眼镜中打开&lt;font color="#FFFFFF"&gt;串流助手&lt;/font&gt;</source>
            <translation>ゴーグルで&lt;font color="#FFFFFF"&gt;ストリーミングアシスタント&lt;/font&gt;を開きます</translation>
        </message>
        <message>
            <location line="+1" />
            <source>选择&lt;font color="#FFFFFF"&gt;有线串流&lt;/font&gt;</source>
            <translation>&lt;font color="#FFFFFF"&gt;有線ストリーミング&lt;/font&gt;を選択します</translation>
        </message>
        <message>
            <location line="+1" />
            <source>等待片刻，设备将自动开始串流</source>
            <translation>しばらくすると自動的にストリーミングが始まります</translation>
        </message>
        <message>
            <location line="+3" />
            <source>请&lt;font color="#FFFFFF"&gt;开启眼镜&lt;/font&gt;，并检查眼镜网络与电脑端&lt;font color="#FFFFFF"&gt;保持一致&lt;/font&gt;</source>
            <translation>&lt;font color="#FFFFFF"&gt;ゴーグルの電源を入れ&lt;/font&gt;、PCと&lt;font color="#FFFFFF"&gt;同じネットワーク&lt;/font&gt;に接続します</translation>
        </message>
        <message>
            <location line="+1" />
            <source>在眼镜中，&lt;font color="#FFFFFF"&gt;打开串流助手&lt;/font&gt;</source>
            <translation>ゴーグルで&lt;font color="#FFFFFF"&gt;ストリーミングアシスタントを開きます&lt;/font&gt;</translation>
        </message>
        <message>
            <location line="+19" />
            <source>已连接，戴上眼镜开始串流吧！</source>
            <translation>接続しました。ゴーグルを装着してストリーミングを始めましょう！</translation>
        </message>
        <message>
            <location line="+3" />
            <location line="+30" />
            <source>连接中</source>
            <translation>接続中</translation>
        </message>
        <message>
            <location line="-30" />
            <location line="+30" />
            <source>检测中</source>
            <translation>検出中</translation>
        </message>
        <message>
            <location line="-25" />
            <location line="+6" />
            <location line="+8" />
            <location line="+11" />
            <source>搜索中</source>
            <translation>検索中</translation>
        </message>
        <message>
            <location line="-21" />
            <source>请选择设备连接</source>
            <translation>接続するデバイスを選択してください</translation>
        </message>
        <message>
            <location line="+6" />
            <source>请选择眼镜连接</source>
            <translation>接続するゴーグルを選択してください</translation>
        </message>
        <message>
            <location line="+9" />
            <source>连接设备中，请稍后</source>
            <translation>デバイスに接続しています。しばらくお待ちください</translation>
        </message>
        <message>
            <location line="+8" />
            <source>可用的VR眼镜</source>
            <translation>利用可能なVRゴーグル</translation>
        </message>
        <message>
            <location line="+0" />
            <source>连接步骤</source>
            <translation>接続手順</translation>
        </message>
        <message>
            <location line="+17" />
            <source>停止串流</source>
            <translation>ストリーミング停止</translation>
        </message>
        <message>
            <location line="+47" />
            <source>上次使用</source>
            <translation>前回使用</translation>
        </message>
        <message>
            <location line="+24" />
            <source>已连接</source>
            <translation>接続済み</translation>
        </message>
        <message>
            <location line="+0" />
            <source>连接</source>
            <translation>接続</translation>
        </message>
        <message>
            <location line="+36" />
            <source>切换为无线串流</source>
            <translation>ワイヤレスストリーミングに切り替え</translation>
        </message>
        <message>
            <location line="+0" />
            <source>切换为有线串流</source>
            <translation>有線ストリーミングに切り替え</translation>
        </message>
        <message>
            <location line="+8" />
            <source>确定切换为无线串流</source>
            <translation>ワイヤレスストリーミングに切り替えますか？</translation>
        </message>
        <message>
            <location line="+0" />
            <source>确定切换为有线串流</source>
            <translation>有線ストリーミングに切り替えますか？</translation>
        </message>
    </context>
    <context>
        <name>PowerDownPage</name>
        <message>
            <location filename="../qml/windows/PowerDownPage.qml" line="+30" />
            <source>操作提示</source>
            <translation>お知らせ</translation>
        </message>
        <message>
            <location line="+14" />
            <source>请将笔记本接入电源，以免断电影响串流体验</source>
            <translation>ストリーミングが中断されないよう、ノートPCを電源に接続してください</translation>
        </message>
        <message>
            <location line="+19" />
            <source>插入电源后提示才会消失哦</source>
            <translation>電源を接続するとこの通知は消えます</translation>
        </message>
    </context>
    <context>
        <name>SelectModePage</name>
        <message>
            <location filename="../qml/windows/SelectModePage.qml" line="+24" />
            <source>无线串流·自由无拘束</source>
            <translation>ワイヤレス・自由自在</translation>
        </message>
        <message>
            <location line="+2" />
            <source>·&lt;font color="#FFFFFF"&gt;5GHz频段&lt;/font&gt;无线路由器</source>
            <translation>·&lt;font color="#FFFFFF"&gt;5GHz帯&lt;/font&gt;対応のWi-Fiルーター</translation>
        </message>
        <message>
            <location line="+1" />
            <source>·电脑需要使用&lt;font color="#FFFFFF"&gt;6类&lt;/font&gt;以上网线，连接&lt;font color="#FFFFFF"&gt;千兆以上&lt;/font&gt;网口路由器</source>
            <translation>·PCは&lt;font color="#FFFFFF"&gt;カテゴリー6&lt;/font&gt;以上のLANケーブルで、&lt;font color="#FFFFFF"&gt;ギガビット以上&lt;/font&gt;のポートを持つルーターに接続してください</translation>
        </message>
        <message>
            <location line="+1" />
            <source>·使用时，设备尽量靠近路由器，不要隔墙使用</source>
            <translation>·使用中はゴーグルをルーターの近くに置き、壁を隔てないでください</translation>
        </message>
        <message>
            <location line="+7" />
            <source>有线串流·更快更清晰</source>
            <translation>有線・より速く、より鮮明に</translation>
        </message>
        <message>
            <location line="+2" />
            <source>·符合&lt;font color="#FFFFFF"&gt;3.0&lt;/font&gt;标准的 &lt;font color="#FFFFFF"&gt;Type-C to C&lt;/font&gt; 数据线或 &lt;font color="#FFFFFF"&gt;USB to Type-C&lt;/font&gt; 数据线</source>
            <translation>·USB &lt;font color="#FFFFFF"&gt;3.0&lt;/font&gt;規格に対応した&lt;font color="#FFFFFF"&gt;Type-C to C&lt;/font&gt;ケーブルまたは&lt;font color="#FFFFFF"&gt;USB to Type-C&lt;/font&gt;ケーブル</translation>
        </message>
        <message>
            <location line="+1" />
            <source>·电脑接口符合&lt;font color="#FFFFFF"&gt;3.0&lt;/font&gt;标准</source>
            <translation>·USB &lt;font color="#FFFFFF"&gt;3.0&lt;/font&gt;規格に対応したPCのポート</translation>
        </message>
    </context>
    <context>
        <name>SettingPage</name>
        <message>
            <location filename="../qml/windows/SettingPage.qml" line="+10" />
            <source>流畅</source>
            <translation>なめらか</translation>
        </message>
        <message>
            <location line="+0" />
            <source>标准</source>
            <translation>標準</translation>
        </message>
        <message>
            <location line="+0" />
            <source>高清</source>
            <translation>高画質</translation>
        </message>
        <message>
            <location line="+0" />
            <source>自定义</source>
            <translation>カスタム</translation>
        </message>
        <message>
            <location line="+2" />
            <location line="+1" />
            <location line="+1" />
            <source>H.264</source>
            <translation>H.264</translation>
        </message>
        <message>
            <location line="-2" />
            <location line="+1" />
            <location line="+1" />
            <source>HEVC</source>
            <translation>HEVC</translation>
        </message>
        <message>
            <location line="-2" />
            <location line="+1" />
            <source>HEVC-10bit</source>
            <translation>HEVC-10bit</translation>
        </message>
        <message>
            <location line="-1" />
            <source>AV1-10bit</source>
            <translation>AV1-10bit</translation>
        </message>
        <message>
            <location line="+23" />
            <source>请安装完成虚拟麦克风再试</source>
            <translation>仮想マイクのインストールを完了してから、もう一度お試しください</translation>
        </message>
        <message>
            <location line="+10" />
            <source>已是当前配置</source>
            <translation>すでに現在の設定です</translation>
        </message>
        <message>
            <location line="+6" />
            <source>切换码率</source>
            <translation>ビットレートを変更しました</translation>
        </message>
        <message>
            <location line="+10" />
            <source>设置</source>
            <translation>設定</translation>
        </message>
        <message>
            <location line="+22" />
            <source>清晰度设置</source>
            <translation>画質設定</translation>
        </message>
        <message>
            <location line="+76" />
            <source>渲染分辨率</source>
            <translation>レンダリング解像度</translation>
        </message>
        <message>
            <location line="+40" />
            <source>码率</source>
            <translation>ビットレート</translation>
        </message>
        <message>
            <location line="+42" />
            <source>帧率</source>
            <translation>フレームレート</translation>
        </message>
        <message>
            <location line="+27" />
            <source>视频编码方式</source>
            <translation>ビデオコーデック</translation>
        </message>
        <message>
            <location line="+46" />
            <source>AV1编码方式仅MR支持</source>
            <translation>AV1コーデックはMRゴーグルのみ対応しています</translation>
        </message>
        <message>
            <location line="+20" />
            <source>麦克风串流</source>
            <translation>マイクのストリーミング</translation>
        </message>
        <message>
            <location line="+37" />
            <source>应用并重启</source>
            <translation>適用して再起動</translation>
        </message>
    </context>
    <context>
        <name>SingleAppTip</name>
        <message>
            <location filename="../qml/windows/SingleAppTip.qml" line="+10" />
            <source>提示</source>
            <translation>お知らせ</translation>
        </message>
        <message>
            <location line="+23" />
            <source>应用程序已打开</source>
            <translation>アプリはすでに起動しています</translation>
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
            <location filename="../src/steammanager.cpp" line="+138" />
            <source>Steam正在启动中，请稍候</source>
            <translation>Steamを起動しています。しばらくお待ちください</translation>
        </message>
        <message>
            <location line="+20" />
            <source>启动Steam失败</source>
            <translation>Steamを起動できませんでした</translation>
        </message>
        <message>
            <location line="+15" />
            <source>未找到Steam安装路径</source>
            <translation>Steamのインストール先が見つかりません</translation>
        </message>
        <message>
            <location line="+160" />
            <source>正在重启，请等待</source>
            <translation>再起動しています。お待ちください</translation>
        </message>
    </context>
    <context>
        <name>SteamPageItem</name>
        <message>
            <location filename="../qml/SteamPageItem.qml" line="+24" />
            <source>已就绪</source>
            <translation>準備完了</translation>
        </message>
        <message>
            <location line="+4" />
            <source>请按以下步骤操作</source>
            <translation>以下の手順に従ってください</translation>
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
            <translation>検出中</translation>
        </message>
        <message>
            <location line="+1" />
            <source>软件下载</source>
            <translation>ソフトウェア</translation>
        </message>
        <message>
            <location line="+16" />
            <source>安装Steam软件</source>
            <translation>Steamをインストール</translation>
        </message>
        <message>
            <location line="+1" />
            <location line="+10" />
            <source>安装</source>
            <translation>インストール</translation>
        </message>
        <message>
            <location line="-10" />
            <location line="+10" />
            <source>已启动</source>
            <translation>起動済み</translation>
        </message>
        <message>
            <location line="-10" />
            <location line="+10" />
            <source>启动</source>
            <translation>起動</translation>
        </message>
        <message>
            <location line="-1" />
            <source>安装Steam VR软件</source>
            <translation>SteamVRをインストール</translation>
        </message>
        <message>
            <location line="+0" />
            <source>Steam VR软件</source>
            <translation>SteamVR</translation>
        </message>
        <message>
            <location line="+20" />
            <source>&lt;font color="#FFFFFF"&gt;未检测&lt;/font&gt;到已安装的Steam时，请&lt;font color="#FFFFFF"&gt;手动启动&lt;/font&gt;</source>
            <translation>インストール済みのSteamが&lt;font color="#FFFFFF"&gt;検出されない&lt;/font&gt;場合は、&lt;font color="#FFFFFF"&gt;手動で起動&lt;/font&gt;してください</translation>
        </message>
        <message>
            <location line="+9" />
            <source>Steam VR检测不到设备？</source>
            <translation>SteamVRがゴーグルを検出しない場合</translation>
        </message>
    </context>
    <context>
        <name>SystemInfo</name>
        <message>
            <location filename="../src/systeminfo.cpp" line="+117" />
            <source>Intel Core i5-6600/AMD锐龙3 1300X同等性能及以上</source>
            <translation>Intel Core i5-6600/AMD Ryzen 3 1300X 同等以上</translation>
        </message>
        <message>
            <location line="+1" />
            <source>Intel Core i7-9700/AMD 锐龙5 3600 同等性能及以上</source>
            <translation>Intel Core i7-9700/AMD Ryzen 5 3600 同等以上</translation>
        </message>
        <message>
            <location line="+1" />
            <source>NVDIA GeFore GTX 970/AMD RX 480 同等性能及以上</source>
            <translation>NVIDIA GeForce GTX 970/AMD RX 480 同等以上</translation>
        </message>
        <message>
            <location line="+1" />
            <source>NVDIA GeFore RTX 3060/AMD RX 6600XT 同等性能及以上</source>
            <translation>NVIDIA GeForce RTX 3060/AMD RX 6600 XT 同等以上</translation>
        </message>
    </context>
    <context>
        <name>SystemInfoPage</name>
        <message>
            <location filename="../qml/windows/SystemInfoPage.qml" line="+8" />
            <source>配置对比</source>
            <translation>構成の比較</translation>
        </message>
    </context>
    <context>
        <name>SystemPageItem</name>
        <message>
            <location filename="../qml/SystemPageItem.qml" line="+20" />
            <source>本机配置符合要求</source>
            <translation>このPCは要件を満たしています</translation>
        </message>
        <message>
            <location line="+4" />
            <source>本机配置无法串流</source>
            <translation>ストリーミング非対応のPCです</translation>
        </message>
        <message>
            <location line="+5" />
            <source>PC配置</source>
            <translation>PC構成</translation>
        </message>
        <message>
            <location line="+2" />
            <source>检测中</source>
            <translation>検出中</translation>
        </message>
        <message>
            <location line="+1" />
            <source>PC说明</source>
            <translation>PCの詳細</translation>
        </message>
        <message>
            <location line="+22" />
            <source>查看更多配置</source>
            <translation>構成の詳細を見る</translation>
        </message>
    </context>
    <context>
        <name>UpdateGpuDriverTips</name>
        <message>
            <location filename="../qml/windows/UpdateGpuDriverTips.qml" line="+6" />
            <source>提示</source>
            <translation>お知らせ</translation>
        </message>
        <message>
            <location line="+11" />
            <source>显卡驱动版本过低无法串流，请先更新驱动版本再进行串流</source>
            <translation>グラフィックドライバーが古いためストリーミングできません。ドライバーを更新してからストリーミングしてください</translation>
        </message>
    </context>
    <context>
        <name>UpdatePage</name>
        <message>
            <location filename="../qml/windows/UpdatePage.qml" line="+18" />
            <source>安装失败请重试！</source>
            <translation>インストールに失敗しました。もう一度お試しください！</translation>
        </message>
        <message>
            <location line="+25" />
            <source>自动更新</source>
            <translation>自動更新</translation>
        </message>
        <message>
            <location line="+7" />
            <source>您的串流工具需安装如下更新才能使用</source>
            <translation>ストリーミングツールを使用するには、次の更新が必要です</translation>
        </message>
        <message>
            <location line="+16" />
            <source>此版本为强更，取消后将关闭程序</source>
            <translation>この更新は必須です。キャンセルするとプログラムが終了します</translation>
        </message>
        <message>
            <location line="+16" />
            <source>立即安装</source>
            <translation>今すぐ更新</translation>
        </message>
        <message>
            <location line="+9" />
            <source>取消</source>
            <translation>キャンセル</translation>
        </message>
    </context>
    <context>
        <name>UsePortProcessTips</name>
        <message>
            <location filename="../qml/windows/UsePortProcessTips.qml" line="+10" />
            <source>提示</source>
            <translation>お知らせ</translation>
        </message>
        <message>
            <location line="+12" />
            <source>端口“</source>
            <translation>ストリーミング用のポートが「</translation>
        </message>
        <message>
            <location line="+0" />
            <source>”已被占用，请先关闭这些程序再进行串流</source>
            <translation>」に使用されています。これらのプログラムを終了してからストリーミングしてください</translation>
        </message>
    </context>
    <context>
        <name>mainWindow</name>
        <message>
            <location filename="../qml/mainWindow.qml" line="+67" />
            <source>串流助手</source>
            <translation>ストリーミングアシスタント</translation>
        </message>
        <message>
            <location line="+84" />
            <source>使用帮助</source>
            <translation>ヘルプ</translation>
        </message>
        <message>
            <location line="+33" />
            <source>用户反馈</source>
            <translation>フィードバック</translation>
        </message>
        <message>
            <location line="+113" />
            <source>恭喜您完成所有步骤，戴上VR设备开始畅玩游戏吧！～</source>
            <translation>すべての手順が完了しました。VRゴーグルを装着してゲームをお楽しみください！</translation>
        </message>
        <message>
            <location line="+1" />
            <source>完成下列步骤，即可畅玩Steam游戏大作</source>
            <translation>以下の手順を完了すると、Steamの人気ゲームをプレイできます</translation>
        </message>
        <message>
            <location line="+11" />
            <source>不再提示</source>
            <translation>今後表示しない</translation>
        </message>
    </context>
    <context>
        <name>QObject</name>
        <message>
            <source>Marelle眼镜</source>
            <translation>Marelleゴーグル</translation>
        </message>
        <message>
            <source>眼镜ID：</source>
            <translation>ID：</translation>
        </message>
        <message>
            <source>当前配置</source>
            <translation>このPC</translation>
        </message>
        <message>
            <source>最低配置</source>
            <translation>最低構成</translation>
        </message>
        <message>
            <source>推荐配置</source>
            <translation>推奨構成</translation>
        </message>
        <message>
            <source>操作系统：</source>
            <translation>OS：</translation>
        </message>
        <message>
            <source>处理器：</source>
            <translation>プロセッサ：</translation>
        </message>
        <message>
            <source>内存：</source>
            <translation>メモリ：</translation>
        </message>
        <message>
            <source>显卡：</source>
            <translation>グラフィックス：</translation>
        </message>
        <message>
            <source>DirectX 版本：</source>
            <translation>DirectX：</translation>
        </message>
        <message>
            <source>切换模式中，请稍后再试</source>
            <translation>モードを切り替えています。しばらくしてからもう一度お試しください</translation>
        </message>
        <message>
            <source>正在重启，请稍候</source>
            <translation>再起動しています。しばらくお待ちください</translation>
        </message>
        <message>
            <source>steam启动中，请勿操作</source>
            <translation>Steamを起動しています。操作しないでください</translation>
        </message>
        <message>
            <source>请使用管理员权限打开steam，或安装此程序到非系统目录</source>
            <translation>管理者権限でSteamを開くか、このプログラムをシステムフォルダー以外にインストールしてください</translation>
        </message>
        <message>
            <source>当前无音频设备或音频设备是多声道，请切换成双声道模式或者切换双声道音频设备</source>
            <translation>オーディオデバイスがないか、マルチチャンネルになっています。ステレオに切り替えるか、ステレオのオーディオデバイスを選択してください</translation>
        </message>
        <message>
            <source>设备连接失败，请插拔眼镜再试</source>
            <translation>デバイスに接続できませんでした。ゴーグルを抜き差ししてから、もう一度お試しください</translation>
        </message>
        <message>
            <source>正在登录steam，请稍等</source>
            <translation>Steamにログインしています。しばらくお待ちください</translation>
        </message>
        <message>
            <source>正在准备打开或者安装SteamVR,确保已登录steam</source>
            <translation>SteamVRの起動またはインストールを準備しています。Steamにログインしていることを確認してください</translation>
        </message>
        <message>
            <source>steamVR重启设置中，请勿操作</source>
            <translation>新しい設定でSteamVRを再起動しています。操作しないでください</translation>
        </message>
    </context>
</TS>
