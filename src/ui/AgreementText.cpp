// The usage agreement of the driver uninstall tool. The wording lives here and nowhere else; the numbering and
// the lettering are added when the text is built.
#include "ui/AgreementText.h"

#include <string_view>
#include <vector>

namespace {

struct Item {
    std::wstring_view text;
    std::vector<std::wstring_view> subItems;
};

struct Section {
    std::wstring_view heading;
    std::vector<Item> items;
};

constexpr std::wstring_view kTitle = L"Varunel服务工具使用许可协议";
constexpr std::wstring_view kNoticeHeading = L"重要须知";

// What the agreement covers, who the user is, how changes are announced.
const std::vector<std::wstring_view>& Notice() {
    static const std::vector<std::wstring_view> paragraphs = {
        L"本协议是您与Varunel之间就Varunel驱动卸载工具（以下简称“本工具”）的获取、运行和使用所订立的协议。本工具用"
        L"于检测本机已安装的显卡、声卡、网卡、摄像头、蓝牙、读卡器、触控板、指纹识别器和智能音频设备的驱动程序包，"
        L"并按照您的选择将其从Windows驱动程序存储中彻底删除。本协议同样适用于本工具的更新版本及随本工具提供的说明"
        L"文档。",
        L"本协议所称“用户”或“您”，是指获得本工具并在计算机上运行本工具的个人或单位。您勾选“同意”并使用本工具，即"
        L"表示您已阅读、理解并接受本协议的全部条款；您代表单位使用本工具的，表示您已获得该单位的授权。如您不同意本"
        L"协议的任何内容，请不要使用本工具，并将其从您的计算机中删除。",
        L"Varunel可能根据法律法规的变化或服务的需要修改本协议。修改后的协议将随新版本的工具一同发布，并通过工具界面"
        L"中的本协议链接公布，不再另行通知。修改后的协议自公布之日起生效；您在协议修改后继续使用本工具的，视为您接"
        L"受修改后的协议。",
    };
    return paragraphs;
}

const std::vector<Section>& Sections() {
    static const std::vector<Section> sections = {
        {L"一. 知识产权声明",
         {
             {L"本工具及其中的程序代码、界面设计、图片和文字说明等全部内容的著作权及其他知识产权均归Varunel所有，受"
              L"《中华人民共和国著作权法》、《计算机软件保护条例》及相关国际条约的保护。",
              {}},
             {L"随本工具提供的第三方组件（例如设备控制台程序）的知识产权归其各自的权利人所有。未经Varunel或相关权利人"
              L"的书面许可，任何人不得复制、修改、翻译、出租、出售或以其他方式传播本工具或其任何组成部分。",
              {}},
         }},
        {L"二. 软件授权范围",
         {
             {L"在您遵守本协议的前提下，Varunel授予您一项个人的、不可转让的、非排他的许可，允许您在自己拥有或有权使"
              L"用的计算机上运行本工具，用于检测和卸载该计算机上的设备驱动程序。",
              {}},
             {L"本协议未明确授予您的其他一切权利均由Varunel保留。未经Varunel书面许可，您不得将本工具用于有偿维修服务、"
              L"批量部署或其他超出上述范围的用途。",
              {}},
         }},
        {L"三. 用户使用须知",
         {
             {L"您在使用本工具时，不得从事下列行为：",
              {
                  L"对本工具进行反向工程、反向汇编或反向编译，或以其他方式试图获取本工具的源代码；",
                  L"删除、遮挡或修改本工具中的版权声明、商标或其他权利标识；",
                  L"修改、破解本工具，或以本工具为基础进行二次开发、制作衍生作品；",
                  L"在未获授权的计算机上运行本工具，或利用本工具卸载、破坏他人计算机上的驱动程序或系统组件；",
                  L"将本工具与病毒、木马等恶意程序捆绑，或通过本工具传播此类程序；",
                  L"干扰或破坏本工具所使用的网络服务及问题反馈功能的正常运行；",
                  L"其他违反法律法规、公序良俗或本协议约定的行为。",
              }},
             {L"卸载驱动程序后，相应的设备在重新安装驱动程序之前可能无法正常工作，例如屏幕分辨率降低、电脑没有声音或无"
              L"法联网。请在卸载前保存正在进行的工作，并准备好该设备适用的驱动程序安装包，以便卸载完成后重新安装。",
              {}},
             {L"本工具需要以管理员身份运行。在不受支持的操作系统中，本工具将给出提示后退出；受支持的操作系统为Windows "
              L"7、"
              L"Windows 8、Windows 8.1和Windows 10。",
              {}},
             {L"本工具只删除您在列表中选定的驱动程序包。选定的驱动程序包正在使用时，本工具会先移除使用它的设备，再次删"
              L"除"
              L"后由系统重新检测硬件；在此过程中屏幕可能短暂闪烁，请勿关闭计算机或断开电源。",
              {}},
             {L"本工具无需安装，从其所在的文件夹直接运行。正常关闭本工具后，它将自动删除本工具自身及随附的文件；该文件"
              L"夹"
              L"中没有其他文件时，文件夹也将一并删除。如需再次使用，请重新获取本工具。",
              {}},
             {L"本工具运行时会在本机公共应用程序数据文件夹中的“ToolLog”文件夹内记录运行日志，用于分析工具运行中出现的"
              L"问题。日志中不包含您的个人文件内容。",
              {}},
         }},
        {L"四. 隐私权保护",
         {
             {L"Varunel重视对用户个人信息和隐私的保护。本部分说明本工具在运行过程中涉及哪些信息、如何使用这些信息以及"
              L"您享有的权利。",
              {}},
             {L"本工具检测驱动程序所需的设备信息，例如设备名称、硬件标识和驱动程序包名称，仅在您的计算机上读取和处理，"
              L"不会发送给Varunel。",
              {}},
             {L"在下列情况下，本工具会通过其反馈组件向Varunel发送少量信息：",
              {
                  L"您关闭本工具时在反馈窗口中选择“解决”或“未解决”，或直接关闭该窗口，本工具会发送工具编号、版本号、"
                  L"您的选择及选择的时间；",
                  L"您点击“反馈问题”并提交问题描述时，会发送您填写的内容及您自愿提供的联系方式；",
                  L"本工具启动时检查是否有新版本，会发送工具编号和当前版本号。",
              }},
             {L"Varunel收集上述信息仅用于以下目的：",
              {
                  L"了解本工具解决问题的效果；",
                  L"改进本工具的功能和兼容性；",
                  L"为您提供新版本的下载和更新服务；",
                  L"处理和答复您提交的问题反馈；",
                  L"履行法律法规规定的义务。",
              }},
             {L"未经您的同意，Varunel不会向任何第三方披露您的个人信息，但下列情形除外：",
              {
                  L"依照法律法规的规定，或应司法机关、行政机关的要求提供；",
                  L"为维护Varunel或社会公众的合法权益，在必要的范围内提供；",
                  L"为处理您的问题反馈，向受Varunel委托并承担保密义务的服务提供者提供；",
                  L"经您本人授权或同意的其他情形。",
              }},
             {L"Varunel采取合理的技术措施和管理措施保护所收集的信息，防止其遭到未经授权的访问、使用、修改或泄露。", {}},
             {L"您可以通过Varunel的官方服务渠道查询、更正或要求删除您提交的反馈信息；Varunel将在核实您的身份后及时处理"
              L"您的合理请求。",
              {}},
         }},
        {L"五. 法律责任与免责",
         {
             {L"本工具按现状提供。Varunel不保证本工具能满足您的全部需求，也不保证本工具在任何计算机和任何情况下都能不"
              L"间断、无错误地运行。",
              {}},
             {L"卸载驱动程序会改变系统的设备配置。在法律允许的范围内，因卸载驱动程序导致的设备暂时不可用、数据丢失或其"
              L"他后果，Varunel不承担责任。请在使用本工具前备份重要数据。",
              {}},
             {L"因您违反本协议或未按照本工具的提示操作而造成的损失，由您自行承担。", {}},
             {L"因计算机病毒、网络攻击、系统不稳定、硬件故障、停电等Varunel无法控制的原因导致本工具无法正常使用的，"
              L"Varunel不承担责任。",
              {}},
             {L"通过本工具中的链接打开的网页如含有第三方提供的内容，该内容由其提供者负责，Varunel不对其准确性和合法性"
              L"作出保证。",
              {}},
             {L"您违反本协议给Varunel或第三方造成损失的，应依法承担赔偿责任。", {}},
             {L"在法律允许的最大范围内，Varunel因本工具的使用而承担的责任总额不超过您为获得本工具实际支付的费用。", {}},
         }},
        {L"六. 其他条款",
         {
             {L"本协议的订立、执行、解释及争议的解决均适用中华人民共和国法律。因本协议引起的或与本协议有关的争议，双方"
              L"应友好协商解决；协商不成的，任何一方均可向Varunel所在地有管辖权的人民法院提起诉讼。",
              {}},
             {L"本协议的任何条款被认定为无效或不可执行的，不影响其余条款的效力。本协议各部分的标题仅为方便阅读而设，不"
              L"影响条款的解释。",
              {}},
         }},
    };
    return sections;
}

constexpr std::wstring_view kLineBreak = L"\r\n";
// Two ideographic spaces: as wide as four blanks. A line that starts with ASCII blanks followed by Chinese text
// (which has no blanks to break at) is not wrapped at all by some rich-edit implementations (Wine's); an
// ideographic space is no break opportunity, so the line wraps between its characters like any Chinese text.
constexpr std::wstring_view kIndent = L"\u3000\u3000";

} // namespace

std::wstring BuildAgreementText() {
    std::wstring text;
    auto line = [&text](std::wstring_view content) {
        text += content;
        text += kLineBreak;
    };
    auto indented = [&line](std::wstring_view label, std::wstring_view content) {
        line(std::wstring(kIndent) + std::wstring(label) + std::wstring(content));
    };

    line(kTitle);
    line(L"");
    line(kNoticeHeading);
    for (std::wstring_view paragraph : Notice()) {
        indented(L"", paragraph);
    }
    for (const Section& section : Sections()) {
        line(L"");
        line(section.heading);
        int number = 1;
        for (const Item& item : section.items) {
            // The label runs straight into the text: a blank after it would be the line's only break
            // opportunity and leave the label alone on its row.
            indented(std::to_wstring(number++) + L".", item.text);
            wchar_t letter = L'A';
            for (std::wstring_view sub : item.subItems) {
                indented(std::wstring(1, letter++) + L".", sub);
            }
        }
    }
    // The last item ends the text: no line break after it.
    text.resize(text.size() - kLineBreak.size());
    return text;
}
