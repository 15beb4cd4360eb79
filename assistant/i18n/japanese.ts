<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="ja_JP" sourcelanguage="zh_CN">
    <context>
        <name>ConfirmPage</name>
        <message>
            <location filename="../qml/windows/ConfirmPage.qml" line="+17" />
            <source>选择串流模式</source>
            <translation>ストリーミングモード</translation>
        </message>
        <message>
            <location line="+31" />
            <source>取消</source>
            <translation>キャンセル</translation>
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
            <location filename="../qml/common/ModeCard.qml" line="+93" />
            <source>开始体验</source>
            <translation>はじめる</translation>
        </message>
    </context>
    <context>
        <name>MoreSettingPage</name>
        <message>
            <location filename="../qml/windows/MoreSettingPage.qml" line="+24" />
            <source>请选择需要串流的VR眼镜</source>
            <translation>ストリーミングするVRゴーグルを選択</translation>
        </message>
        <message>
            <location line="+19" />
            <source>在VR端串流助手的界面上，即可看到VR眼镜的ID</source>
            <translation>ゴーグルのIDは、ゴーグル側のストリーミングアシスタントの画面に表示されます</translation>
        </message>
        <message>
            <location line="+39" />
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
            <location filename="../qml/windows/NetworkSetting.qml" line="+9" />
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
            <location filename="../qml/PageItem.qml" line="+17" />
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
            <location line="+10" />
            <source>已连接，戴上眼镜开始串流吧！</source>
            <translation>接続しました。ゴーグルを装着してストリーミングを始めましょう！</translation>
        </message>
        <message>
            <location line="+1" />
            <location line="+40" />
            <source>连接中</source>
            <translation>接続中</translation>
        </message>
        <message>
            <location line="-39" />
            <location line="+39" />
            <source>检测中</source>
            <translation>検出中</translation>
        </message>
        <message>
            <location line="-35" />
            <location line="+35" />
            <source>搜索中</source>
            <translation>検索中</translation>
        </message>
        <message>
            <location line="-38" />
            <source>请选择设备连接</source>
            <translation>接続するデバイスを選択してください</translation>
        </message>
        <message>
            <location line="+1" />
            <source>请选择眼镜连接</source>
            <translation>接続するゴーグルを選択してください</translation>
        </message>
        <message>
            <location line="+31" />
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
        <name>PcCheck</name>
        <message>
            <location filename="../src/pccheck.cpp" line="+54" />
            <source>、</source>
            <translation>、</translation>
        </message>
        <message>
            <location line="+6" />
            <source>显卡和驱动</source>
            <translation>グラフィックスカードとドライバー</translation>
        </message>
        <message>
            <location line="+2" />
            <source>网络类型</source>
            <translation>ネットワークの種類</translation>
        </message>
        <message>
            <location line="+2" />
            <source>防火墙</source>
            <translation>ファイアウォール</translation>
        </message>
        <message>
            <location line="+2" />
            <source>串流端口</source>
            <translation>ストリーミングポート</translation>
        </message>
        <message>
            <location line="+2" />
            <source>驱动文件夹</source>
            <translation>ドライバーフォルダー</translation>
        </message>
        <message>
            <location line="+2" />
            <source>电脑的网络连接</source>
            <translation>PC のネットワーク接続</translation>
        </message>
        <message>
            <location line="+2" />
            <source>Wi-Fi 频段</source>
            <translation>Wi-Fi の周波数帯</translation>
        </message>
        <message>
            <location line="+2" />
            <source>音频输出</source>
            <translation>オーディオ出力</translation>
        </message>
        <message>
            <location line="+2" />
            <source>电源计划</source>
            <translation>電源プラン</translation>
        </message>
        <message>
            <location line="+2" />
            <source>Steam 和 SteamVR</source>
            <translation>Steam と SteamVR</translation>
        </message>
        <message>
            <location line="+54" />
            <source>没有找到显卡信息。</source>
            <translation>グラフィックスカードの情報が見つかりません。</translation>
        </message>
        <message>
            <location line="+2" />
            <source>显卡能力表缺失或已损坏，无法评估显卡。</source>
            <translation>グラフィックスカードの性能表がないか壊れているため、評価できません。</translation>
        </message>
        <message>
            <location line="+2" />
            <source>显卡 %1 达不到串流的要求。</source>
            <translation>グラフィックスカード %1 はストリーミングの要件を満たしていません。</translation>
        </message>
        <message>
            <location line="+7" />
            <source>显卡驱动 %1 较旧，建议更新显卡驱动。</source>
            <translation>グラフィックスドライバー %1 は古いため、更新をお勧めします。</translation>
        </message>
        <message>
            <location line="+1" />
            <source>显卡驱动 %1 较旧，建议更新到 %2 或更新的版本。</source>
            <translation>グラフィックスドライバー %1 は古いため、%2 以降に更新してください。</translation>
        </message>
        <message>
            <location line="+1" />
            <source>打开驱动下载页</source>
            <translation>ドライバーのダウンロードページを開く</translation>
        </message>
        <message>
            <location line="+3" />
            <source>显卡 %1 可以串流。</source>
            <translation>グラフィックスカード %1 はストリーミングできます。</translation>
        </message>
        <message>
            <location line="+6" />
            <source>无法读取网络类型。</source>
            <translation>ネットワークの種類を読み取れません。</translation>
        </message>
        <message>
            <location line="+2" />
            <source>电脑当前没有连接网络。</source>
            <translation>PC はネットワークに接続されていません。</translation>
        </message>
        <message>
            <location line="+6" />
            <source>未命名网络</source>
            <translation>名前のないネットワーク</translation>
        </message>
        <message>
            <location line="+8" />
            <source>网络“%1”是公用网络，防火墙会拦截串流。</source>
            <translation>ネットワーク「%1」はパブリックのため、ファイアウォールがストリーミングをブロックします。</translation>
        </message>
        <message>
            <location line="+2" />
            <source>设为专用网络</source>
            <translation>プライベートに設定</translation>
        </message>
        <message>
            <location line="+4" />
            <source>无法确定当前网络的类型。</source>
            <translation>現在のネットワークの種類を判断できません。</translation>
        </message>
        <message>
            <location line="+1" />
            <source>当前网络是专用网络或域网络。</source>
            <translation>現在のネットワークはプライベートまたはドメインです。</translation>
        </message>
        <message>
            <location line="+59" />
            <source>无法读取防火墙规则。</source>
            <translation>ファイアウォールの規則を読み取れません。</translation>
        </message>
        <message>
            <location line="+2" />
            <source>防火墙没有拦截传入的连接。</source>
            <translation>ファイアウォールは受信接続をブロックしていません。</translation>
        </message>
        <message>
            <location line="+2" />
            <source>防火墙设置为阻止所有传入连接，规则无法放行串流。</source>
            <translation>ファイアウォールがすべての受信接続をブロックする設定のため、規則でストリーミングを許可できません。</translation>
        </message>
        <message>
            <location line="+3" />
            <source>防火墙已放行 SteamVR 服务器和串流端口。</source>
            <translation>ファイアウォールは SteamVR サーバーとストリーミングポートを許可しています。</translation>
        </message>
        <message>
            <location line="+3" />
            <source>SteamVR 服务器</source>
            <translation>SteamVR サーバー</translation>
        </message>
        <message>
            <location line="+1" />
            <source>防火墙没有放行：%1。</source>
            <translation>ファイアウォールが許可していないもの：%1。</translation>
        </message>
        <message>
            <location line="+2" />
            <source>添加防火墙规则</source>
            <translation>ファイアウォールの規則を追加</translation>
        </message>
        <message>
            <location line="+27" />
            <source>无法读取端口的占用情况。</source>
            <translation>ポートの使用状況を読み取れません。</translation>
        </message>
        <message>
            <location line="+3" />
            <source>串流端口没有被其他程序占用。</source>
            <translation>ほかのプログラムはストリーミングポートを使用していません。</translation>
        </message>
        <message>
            <location line="+9" />
            <source>%1 占用了串流端口 %2。</source>
            <translation>%1 がストリーミングポート %2 を使用しています。</translation>
        </message>
        <message>
            <location line="+1" />
            <source>结束 %1</source>
            <translation>%1 を終了</translation>
        </message>
        <message>
            <location line="+41" />
            <source>驱动文件夹在同步文件夹 %1 中，SteamVR 无法从这里加载驱动。请把程序移到本地文件夹，例如 %2。</source>
            <translation>ドライバーフォルダーが同期フォルダー %1 の中にあるため、SteamVR はここからドライバーを読み込めません。プログラムを %2 などのローカルフォルダーに移動してください。</translation>
        </message>
        <message>
            <location line="+3" />
            <source>驱动文件夹的路径 SteamVR 可以读取。</source>
            <translation>SteamVR はドライバーフォルダーのパスを読み取れます。</translation>
        </message>
        <message>
            <location line="+3" />
            <source>驱动文件夹的路径含有中文等字符，SteamVR 无法读取，这个磁盘也没有短路径。请把程序移到只含英文字母和数字的文件夹，例如 %1。</source>
            <translation>ドライバーフォルダーのパスに SteamVR が読み取れない文字（中国語など）が含まれ、このドライブには短いパスもありません。プログラムを %1 など英数字だけのフォルダーに移動してください。</translation>
        </message>
        <message>
            <location line="+4" />
            <source>驱动以含有中文的路径注册，SteamVR 无法读取。</source>
            <translation>ドライバーが中国語を含むパスで登録されているため、SteamVR は読み取れません。</translation>
        </message>
        <message>
            <location line="+1" />
            <source>通过短路径注册</source>
            <translation>短いパスで登録</translation>
        </message>
        <message>
            <location line="+2" />
            <source>驱动文件夹的路径含有中文等字符，SteamVR 通过短路径 %1 加载驱动。</source>
            <translation>ドライバーフォルダーのパスに中国語などの文字が含まれるため、SteamVR は短いパス %1 からドライバーを読み込みます。</translation>
        </message>
        <message>
            <location line="+15" />
            <source>有线串流不经过路由器。</source>
            <translation>有線ストリーミングはルーターを経由しません。</translation>
        </message>
        <message>
            <location line="+2" />
            <source>无法确定电脑怎样连接路由器。</source>
            <translation>PC がルーターにどう接続しているか判断できません。</translation>
        </message>
        <message>
            <location line="+3" />
            <source>电脑通过 Wi-Fi 连接路由器。无线串流时，建议用网线把电脑接到路由器的千兆网口。</source>
            <translation>PC は Wi-Fi でルーターに接続しています。ワイヤレスストリーミングでは、PC をケーブルでルーターのギガビットポートに接続することをお勧めします。</translation>
        </message>
        <message>
            <location line="+3" />
            <source>电脑用网线连接路由器，但读不到连接速率。</source>
            <translation>PC はケーブルでルーターに接続していますが、接続速度を読み取れません。</translation>
        </message>
        <message>
            <location line="+2" />
            <source>电脑与路由器的网线连接只有 %1，建议使用千兆网线和千兆网口。</source>
            <translation>PC とルーターのケーブル接続は %1 しかありません。ギガビット対応のケーブルとポートをお使いください。</translation>
        </message>
        <message>
            <location line="+2" />
            <source>电脑用网线以 %1 连接路由器。</source>
            <translation>PC はケーブルで %1 でルーターに接続しています。</translation>
        </message>
        <message>
            <location line="+5" />
            <source>电脑通过 %1 上网，无法判断它与路由器的连接。</source>
            <translation>PC は %1 経由でインターネットに接続しているため、ルーターとの接続を判断できません。</translation>
        </message>
        <message>
            <location line="+6" />
            <source>无法确定电脑是否使用 Wi-Fi。</source>
            <translation>PC が Wi-Fi を使っているか判断できません。</translation>
        </message>
        <message>
            <location line="+2" />
            <source>电脑没有使用 Wi-Fi。</source>
            <translation>PC は Wi-Fi を使用していません。</translation>
        </message>
        <message>
            <location line="+2" />
            <source>无法读取电脑所连 Wi-Fi 的频段。</source>
            <translation>PC が接続している Wi-Fi の周波数帯を読み取れません。</translation>
        </message>
        <message>
            <location line="+2" />
            <source>电脑连接的是 2.4 GHz 的 Wi-Fi，建议改连 5 GHz 或 6 GHz 的 Wi-Fi。</source>
            <translation>PC は 2.4 GHz の Wi-Fi に接続しています。5 GHz または 6 GHz の Wi-Fi に接続してください。</translation>
        </message>
        <message>
            <location line="+2" />
            <source>电脑连接的是 6 GHz 的 Wi-Fi。</source>
            <translation>PC は 6 GHz の Wi-Fi に接続しています。</translation>
        </message>
        <message>
            <location line="+1" />
            <source>电脑连接的是 5 GHz 的 Wi-Fi。</source>
            <translation>PC は 5 GHz の Wi-Fi に接続しています。</translation>
        </message>
        <message>
            <location line="+6" />
            <source>无法读取音频输出设备。</source>
            <translation>オーディオ出力デバイスを読み取れません。</translation>
        </message>
        <message>
            <location line="+2" />
            <source>电脑没有音频输出设备，串流时没有声音。</source>
            <translation>PC にオーディオ出力デバイスがないため、ストリーミング中に音が出ません。</translation>
        </message>
        <message>
            <location line="+0" />
            <source>安装虚拟声卡</source>
            <translation>仮想サウンドカードをインストール</translation>
        </message>
        <message>
            <location line="+1" />
            <source>音频输出设备：%1。</source>
            <translation>オーディオ出力デバイス：%1。</translation>
        </message>
        <message>
            <location line="+6" />
            <source>无法读取电源计划。</source>
            <translation>電源プランを読み取れません。</translation>
        </message>
        <message>
            <location line="+3" />
            <source>电源计划“%1”是节能计划，会限制显卡性能。</source>
            <translation>電源プラン「%1」は省電力プランのため、グラフィックスカードの性能を制限します。</translation>
        </message>
        <message>
            <location line="+2" />
            <source>切换到高性能</source>
            <translation>高パフォーマンスに切り替え</translation>
        </message>
        <message>
            <location line="+6" />
            <source>电源计划“%1”不限制显卡性能。</source>
            <translation>電源プラン「%1」はグラフィックスカードの性能を制限しません。</translation>
        </message>
        <message>
            <location line="+4" />
            <source>无法判断电源计划“%1”是否节能。</source>
            <translation>電源プラン「%1」が省電力かどうか判断できません。</translation>
        </message>
        <message>
            <location line="+6" />
            <source>没有安装 Steam。</source>
            <translation>Steam がインストールされていません。</translation>
        </message>
        <message>
            <location line="+0" />
            <source>安装 Steam</source>
            <translation>Steam をインストール</translation>
        </message>
        <message>
            <location line="+2" />
            <source>没有安装 SteamVR。</source>
            <translation>SteamVR がインストールされていません。</translation>
        </message>
        <message>
            <location line="+0" />
            <source>安装 SteamVR</source>
            <translation>SteamVR をインストール</translation>
        </message>
        <message>
            <location line="+2" />
            <source>Steam 和 SteamVR 已安装，但读不到 SteamVR 的版本。</source>
            <translation>Steam と SteamVR はインストールされていますが、SteamVR のバージョンを読み取れません。</translation>
        </message>
        <message>
            <location line="+1" />
            <source>Steam 和 SteamVR 已安装，SteamVR 版本 %1。</source>
            <translation>Steam と SteamVR はインストール済みです。SteamVR のバージョンは %1 です。</translation>
        </message>
        <message>
            <location line="+43" />
            <source>无法启动所需的系统工具</source>
            <translation>必要なシステムツールを起動できません</translation>
        </message>
        <message>
            <location line="+2" />
            <source>系统工具没有在规定时间内完成</source>
            <translation>システムツールが時間内に終わりませんでした</translation>
        </message>
        <message>
            <location line="+7" />
            <source>退出码 %1</source>
            <translation>終了コード %1</translation>
        </message>
    </context>
    <context>
        <name>PcCheckPage</name>
        <message>
            <location filename="../qml/windows/PcCheckPage.qml" line="+44" />
            <source>正在保存报告……</source>
            <translation>レポートを保存しています…</translation>
        </message>
        <message>
            <location line="+9" />
            <source>检查我的电脑</source>
            <translation>PCをチェック</translation>
        </message>
        <message>
            <location line="+13" />
            <source>报告已保存到 %1</source>
            <translation>レポートを %1 に保存しました</translation>
        </message>
        <message>
            <location line="+5" />
            <source>报告没有保存：%1</source>
            <translation>レポートを保存できませんでした：%1</translation>
        </message>
        <message>
            <location line="+62" />
            <source>取消</source>
            <translation>キャンセル</translation>
        </message>
        <message>
            <location line="+3" />
            <source>结束</source>
            <translation>終了</translation>
        </message>
        <message>
            <location line="+24" />
            <source>重新检查</source>
            <translation>再チェック</translation>
        </message>
        <message>
            <location line="+13" />
            <source>保存报告给技术支持</source>
            <translation>サポート用のレポートを保存</translation>
        </message>
    </context>
    <context>
        <name>PcCheckRow</name>
        <message>
            <location filename="../qml/common/PcCheckRow.qml" line="+21" />
            <source>通过</source>
            <translation>合格</translation>
        </message>
        <message>
            <location line="+0" />
            <source>警告</source>
            <translation>注意</translation>
        </message>
        <message>
            <location line="+0" />
            <source>未通过</source>
            <translation>不合格</translation>
        </message>
        <message>
            <location line="+0" />
            <source>无法检查</source>
            <translation>チェックできません</translation>
        </message>
        <message>
            <location line="+50" />
            <source>检查中</source>
            <translation>チェック中</translation>
        </message>
        <message>
            <location line="+0" />
            <source>未检查</source>
            <translation>未チェック</translation>
        </message>
    </context>
    <context>
        <name>PcChecker</name>
        <message>
            <location filename="../src/pcchecker.cpp" line="+101" />
            <source>检查超时，请再检查一次。</source>
            <translation>チェックがタイムアウトしました。もう一度チェックしてください。</translation>
        </message>
        <message>
            <location filename="../src/pcchecker_fixes.cpp" line="+148" />
            <source>要结束 %1 吗？它未保存的内容会丢失。</source>
            <translation>%1 を終了しますか？保存されていない内容は失われます。</translation>
        </message>
        <message>
            <location line="+22" />
            <source>请等这一项检查完再修复。</source>
            <translation>このチェックが終わってから修正してください。</translation>
        </message>
        <message>
            <location line="+5" />
            <location line="+85" />
            <source>这一项没有可用的修复。</source>
            <translation>この項目には修正方法がありません。</translation>
        </message>
        <message>
            <location line="-80" />
            <source>结束程序之前需要确认。</source>
            <translation>プログラムを終了する前に確認が必要です。</translation>
        </message>
        <message>
            <location line="+15" />
            <source>已打开显卡驱动的下载页。</source>
            <translation>グラフィックスドライバーのダウンロードページを開きました。</translation>
        </message>
        <message>
            <location line="-158" />
            <source>修复失败：%1</source>
            <translation>修正に失敗しました：%1</translation>
        </message>
        <message>
            <location line="+158" />
            <source>无法打开 %1</source>
            <translation>%1 を開けません</translation>
        </message>
        <message>
            <location line="+5" />
            <source>已启动虚拟声卡的安装程序。</source>
            <translation>仮想サウンドカードのインストーラーを起動しました。</translation>
        </message>
        <message>
            <location line="+0" />
            <source>无法启动安装程序</source>
            <translation>インストーラーを起動できません</translation>
        </message>
        <message>
            <location line="+4" />
            <source>已打开 Steam 的下载页。</source>
            <translation>Steam のダウンロードページを開きました。</translation>
        </message>
        <message>
            <location line="+0" />
            <source>无法打开 Steam 的下载页</source>
            <translation>Steam のダウンロードページを開けません</translation>
        </message>
        <message>
            <location line="+4" />
            <source>已请 Steam 安装 SteamVR。</source>
            <translation>Steam に SteamVR のインストールを依頼しました。</translation>
        </message>
        <message>
            <location line="+0" />
            <source>无法打开 Steam</source>
            <translation>Steam を開けません</translation>
        </message>
        <message>
            <location line="+34" />
            <source>没有在规定时间内完成</source>
            <translation>時間内に終わりませんでした</translation>
        </message>
        <message>
            <location line="-187" />
            <source>找不到 %1</source>
            <translation>%1 が見つかりません</translation>
        </message>
        <message>
            <location line="+23" />
            <source>没有需要修改的内容</source>
            <translation>変更する内容がありません</translation>
        </message>
        <message>
            <location line="+173" />
            <source>已把网络设为专用网络。</source>
            <translation>ネットワークをプライベートに設定しました。</translation>
        </message>
        <message>
            <location line="+2" />
            <source>已添加防火墙规则。</source>
            <translation>ファイアウォールの規則を追加しました。</translation>
        </message>
        <message>
            <location line="-154" />
            <source>已切换到高性能电源计划。</source>
            <translation>高パフォーマンスの電源プランに切り替えました。</translation>
        </message>
        <message>
            <location line="+3" />
            <source>已切换到平衡电源计划。</source>
            <translation>バランスの電源プランに切り替えました。</translation>
        </message>
        <message>
            <location line="+14" />
            <source>无法结束 %1（进程 %2）</source>
            <translation>%1（プロセス %2）を終了できません</translation>
        </message>
        <message>
            <location line="+5" />
            <source>已结束 %1。</source>
            <translation>%1 を終了しました。</translation>
        </message>
        <message>
            <location line="+9" />
            <source>没有短路径</source>
            <translation>短いパスがありません</translation>
        </message>
        <message>
            <location line="+3" />
            <source>已通过短路径 %1 注册驱动。</source>
            <translation>短いパス %1 でドライバーを登録しました。</translation>
        </message>
    </context>
    <context>
        <name>PowerDownPage</name>
        <message>
            <location filename="../qml/windows/PowerDownPage.qml" line="+31" />
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
        <name>QObject</name>
        <message>
            <location filename="../src/nerevmanager.cpp" line="+241" />
            <source>Marelle眼镜</source>
            <translation>Marelleゴーグル</translation>
        </message>
        <message>
            <location line="+1" />
            <source>眼镜ID：</source>
            <translation>ID：</translation>
        </message>
        <message>
            <location line="-60" />
            <source>当前配置</source>
            <translation>このPC</translation>
        </message>
        <message>
            <location line="+1" />
            <source>最低配置</source>
            <translation>最低構成</translation>
        </message>
        <message>
            <location line="+3" />
            <source>推荐配置</source>
            <translation>推奨構成</translation>
        </message>
        <message>
            <location line="-12" />
            <source>操作系统：</source>
            <translation>OS：</translation>
        </message>
        <message>
            <location line="+0" />
            <location line="+15" />
            <source>处理器：</source>
            <translation>プロセッサ：</translation>
        </message>
        <message>
            <location line="-15" />
            <source>内存：</source>
            <translation>メモリ：</translation>
        </message>
        <message>
            <location line="+1" />
            <location line="+14" />
            <source>显卡：</source>
            <translation>グラフィックス：</translation>
        </message>
        <message>
            <location line="-14" />
            <source>DirectX 版本：</source>
            <translation>DirectX：</translation>
        </message>
        <message>
            <location filename="../src/nerevmanager_connection.cpp" line="+26" />
            <source>切换模式中，请稍后再试</source>
            <translation>モードを切り替えています。しばらくしてからもう一度お試しください</translation>
        </message>
        <message>
            <location line="+36" />
            <source>正在重启，请稍候</source>
            <translation>再起動しています。しばらくお待ちください</translation>
        </message>
        <message>
            <location line="+75" />
            <source>steam启动中，请勿操作</source>
            <translation>Steamを起動しています。操作しないでください</translation>
        </message>
        <message>
            <location line="-28" />
            <source>请使用管理员权限打开steam，或安装此程序到非系统目录</source>
            <translation>管理者権限でSteamを開くか、このプログラムをシステムフォルダー以外にインストールしてください</translation>
        </message>
        <message>
            <location filename="../src/nerevmanager_tick.cpp" line="+101" />
            <source>当前无音频设备或音频设备是多声道，请切换成双声道模式或者切换双声道音频设备</source>
            <translation>オーディオデバイスがないか、マルチチャンネルになっています。ステレオに切り替えるか、ステレオのオーディオデバイスを選択してください</translation>
        </message>
        <message>
            <location filename="../src/nerevmanager_connection.cpp" line="+214" />
            <source>设备连接失败，请插拔眼镜再试</source>
            <translation>デバイスに接続できませんでした。ゴーグルを抜き差ししてから、もう一度お試しください</translation>
        </message>
        <message>
            <location line="-100" />
            <source>正在登录steam，请稍等</source>
            <translation>Steamにログインしています。しばらくお待ちください</translation>
        </message>
        <message>
            <location line="+7" />
            <source>正在准备打开或者安装SteamVR,确保已登录steam</source>
            <translation>SteamVRの起動またはインストールを準備しています。Steamにログインしていることを確認してください</translation>
        </message>
        <message>
            <location filename="../src/nerevmanager_quality.cpp" line="+84" />
            <source>steamVR重启设置中，请勿操作</source>
            <translation>新しい設定でSteamVRを再起動しています。操作しないでください</translation>
        </message>
    </context>
    <context>
        <name>SelectModePage</name>
        <message>
            <location filename="../qml/windows/SelectModePage.qml" line="+26" />
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
            <location line="+9" />
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
            <location filename="../qml/windows/SettingPage.qml" line="+11" />
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
            <translation>仮想マイクのインストールを完了してから、もう一度お試しください</translation>
        </message>
        <message>
            <location line="+10" />
            <source>已是当前配置</source>
            <translation>すでに現在の設定です</translation>
        </message>
        <message>
            <location line="+5" />
            <source>切换码率</source>
            <translation>ビットレートを変更しました</translation>
        </message>
        <message>
            <location line="+10" />
            <source>设置</source>
            <translation>設定</translation>
        </message>
        <message>
            <location line="+26" />
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
            <location line="+33" />
            <source>帧率</source>
            <translation>フレームレート</translation>
        </message>
        <message>
            <location line="+23" />
            <source>视频编码方式</source>
            <translation>ビデオコーデック</translation>
        </message>
        <message>
            <location line="+46" />
            <source>AV1编码方式仅MR支持</source>
            <translation>AV1コーデックはMRゴーグルのみ対応しています</translation>
        </message>
        <message>
            <location line="+11" />
            <source>麦克风串流</source>
            <translation>マイクのストリーミング</translation>
        </message>
        <message>
            <location line="+32" />
            <source>应用并重启</source>
            <translation>適用して再起動</translation>
        </message>
    </context>
    <context>
        <name>SingleAppTip</name>
        <message>
            <location filename="../qml/windows/SingleAppTip.qml" line="+11" />
            <source>提示</source>
            <translation>お知らせ</translation>
        </message>
        <message>
            <location line="+20" />
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
            <location filename="../src/steammanager.cpp" line="+159" />
            <source>Steam正在启动中，请稍候</source>
            <translation>Steamを起動しています。しばらくお待ちください</translation>
        </message>
        <message>
            <location line="+21" />
            <source>启动Steam失败</source>
            <translation>Steamを起動できませんでした</translation>
        </message>
        <message>
            <location line="+17" />
            <source>未找到Steam安装路径</source>
            <translation>Steamのインストール先が見つかりません</translation>
        </message>
        <message>
            <location line="+166" />
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
            <location filename="../src/systeminfo.cpp" line="+114" />
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
            <location filename="../qml/windows/SystemInfoPage.qml" line="+9" />
            <source>配置对比</source>
            <translation>構成の比較</translation>
        </message>
    </context>
    <context>
        <name>SystemPageItem</name>
        <message>
            <location filename="../qml/SystemPageItem.qml" line="+23" />
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
            <location line="+20" />
            <source>发现问题，去修复</source>
            <translation>問題あり：修正する</translation>
        </message>
        <message>
            <location line="+0" />
            <source>检查我的电脑</source>
            <translation>PCをチェック</translation>
        </message>
        <message>
            <location line="+30" />
            <source>查看更多配置</source>
            <translation>構成の詳細を見る</translation>
        </message>
    </context>
    <context>
        <name>UpdateGpuDriverTips</name>
        <message>
            <location filename="../qml/windows/UpdateGpuDriverTips.qml" line="+7" />
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
            <location filename="../qml/windows/UpdatePage.qml" line="+19" />
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
            <location line="+12" />
            <source>立即安装</source>
            <translation>今すぐ更新</translation>
        </message>
        <message>
            <location line="+3" />
            <source>取消</source>
            <translation>キャンセル</translation>
        </message>
    </context>
    <context>
        <name>UsePortProcessTips</name>
        <message>
            <location filename="../qml/windows/UsePortProcessTips.qml" line="+11" />
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
            <location filename="../qml/mainWindow.qml" line="+80" />
            <source>串流助手</source>
            <translation>ストリーミングアシスタント</translation>
        </message>
        <message>
            <location line="+69" />
            <source>使用帮助</source>
            <translation>ヘルプ</translation>
        </message>
        <message>
            <location line="+6" />
            <source>用户反馈</source>
            <translation>フィードバック</translation>
        </message>
        <message>
            <location line="+102" />
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
</TS>
