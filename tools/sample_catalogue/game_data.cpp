#include "game_data.h"

#include <algorithm>
#include <cstdio>
#include <numeric>

#include "text.h"

namespace {

// Pool sizes follow the page counts the program shows: 644, 619, 2 and 25 pages of ten.
constexpr int kSmallGameCount = 6440;
constexpr int kSmallGameFirstId = 10000;
constexpr int kMiniGameCount = 6190;
constexpr int kWebGameCount = 20;
constexpr int kWebGameFirstId = 80001;
constexpr int kToolCount = 250;
constexpr int kToolFirstId = 90001;
constexpr int kInventedFirstId = 1000000;

// Small deterministic generator (splitmix64).
class Random {
public:
    explicit Random(uint64_t seed) : state_(seed) {}
    uint64_t Next() { return Mix(state_++ * 0x2545F4914F6CDD1DULL); }
    size_t Below(size_t bound) { return static_cast<size_t>(Next() % bound); }
    bool Chance(int percent) { return Below(100) < static_cast<size_t>(percent); }
    template <size_t N>
    std::string Pick(const char8_t* const (&words)[N]) {
        return Utf8(words[Below(N)]);
    }

private:
    uint64_t state_;
};

// --- Small games: [prefix] theme kind [suffix]. Every genre of the program's genre buttons
// occurs in at least one kind, so each genre search finds several pages.
constexpr const char8_t* kPrefixes[] = {
    u8"超级", u8"疯狂",   u8"快乐", u8"小小", u8"梦幻", u8"极速", u8"3D",   u8"Q版",
    u8"魔法", u8"勇敢的", u8"可爱", u8"黄金", u8"迷你", u8"暴走", u8"无敌", u8"像素",
    u8"功夫", u8"森林",   u8"海底", u8"太空", u8"冰雪", u8"糖果", u8"水晶", u8"午夜"};
constexpr const char8_t* kThemes[] = {
    u8"水果", u8"泡泡",   u8"赛车", u8"坦克",   u8"公主", u8"农场",   u8"蛋糕",   u8"城堡",
    u8"忍者", u8"火柴人", u8"小鸟", u8"企鹅",   u8"恐龙", u8"机甲",   u8"海盗",   u8"宝石",
    u8"方块", u8"足球",   u8"篮球", u8"僵尸",   u8"熊猫", u8"兔子",   u8"小猫",   u8"蘑菇",
    u8"飞机", u8"潜艇",   u8"摩托", u8"弓箭手", u8"骑士", u8"美人鱼", u8"喜羊羊", u8"蚂蚁"};
constexpr const char8_t* kKinds[] = {
    u8"策略战",   u8"密室逃脱", u8"益智拼图", u8"角色扮演", u8"棋牌",   u8"双人对战", u8"网游",
    u8"换装",     u8"大冒险",   u8"射击",     u8"扑克",     u8"美容院", u8"餐厅经营", u8"技巧挑战",
    u8"竞速赛",   u8"模仿秀",   u8"社区",     u8"飞行记",   u8"夺宝",   u8"厨房",     u8"智力测试",
    u8"塔防",     u8"闯关",     u8"麻将",     u8"记忆翻牌", u8"格斗",   u8"打字教学", u8"平衡木",
    u8"休闲乐园", u8"动作",     u8"战争",     u8"找茬",     u8"连连看", u8"消消乐",   u8"大作战",
    u8"历险记",   u8"跑酷",     u8"祖玛",     u8"对对碰",   u8"泡泡堂"};
constexpr const char8_t* kSuffixes[] = {
    u8"2",      u8"3",    u8"2：经典版", u8"HD",   u8"Pro",    u8"豪华版", u8"中文版",   u8"无敌版",
    u8"双人版", u8"之旅", u8"大师",      u8"2012", u8"加强版", u8"II",     u8"(终极版)", u8"！"};
// A few games are known by Latin names only; the catalogue sends those without escapes.
constexpr const char8_t* kLatinNames[] = {u8"2048",           u8"Sudoku",       u8"Snake",
                                          u8"Bubble Shooter", u8"Block Puzzle", u8"Solitaire",
                                          u8"Tetris Classic", u8"Jewel Match 3"};
constexpr const char8_t* kOpenings[] = {u8"用方向键控制", u8"帮助", u8"和好友一起操控",
                                        u8"鼠标点击指挥", u8"带领", u8"陪伴",
                                        u8"训练你的"};
constexpr const char8_t* kGoals[] = {
    u8"闯过重重难关",   u8"收集所有金币",   u8"打败大魔王",     u8"在限定时间内完成任务",
    u8"躲开路上的障碍", u8"找回丢失的宝物", u8"守住最后的防线", u8"赢得冠军奖杯"};
constexpr const char8_t* kClosings[] = {u8"共有50个关卡等你来挑战", u8"看看你能坚持多久",
                                        u8"支持双人同屏对战",       u8"快来试试吧",
                                        u8"画面精美，音乐动听",     u8"空格键跳跃，Z键攻击",
                                        u8"轻松休闲，老少皆宜",     u8"考验你的眼力和反应",
                                        u8"经典玩法全新升级",       u8"好评率100%"};

// --- Web games (category 8) and game tools (category 9).
constexpr const char8_t* kWebPrefixes[] = {u8"神魔", u8"仙侠", u8"三国", u8"武林", u8"龙城",
                                           u8"热血", u8"天书", u8"战神", u8"大唐", u8"蜀山"};
constexpr const char8_t* kWebSuffixes[] = {u8"传说", u8"霸业",   u8"奇缘", u8"争霸",
                                           u8"风云", u8"英雄传", u8"江湖", u8"OL"};
constexpr const char8_t* kWebFeatures[] = {u8"万人同服国战", u8"自由交易系统", u8"百种神兵任你打造",
                                           u8"师徒结拜，帮派争霸", u8"每日登录送元宝"};
constexpr const char8_t* kToolTargets[] = {u8"连连看", u8"消消乐", u8"泡泡堂", u8"祖玛",
                                           u8"麻将",   u8"斗地主", u8"对对碰", u8"找茬",
                                           u8"跑酷",   u8"塔防",   u8"赛车",   u8"坦克大战"};
constexpr const char8_t* kTools[] = {u8"辅助工具",   u8"攻略大全", u8"计分器",     u8"截图工具",
                                     u8"小助手",     u8"计时器",   u8"存档管理器", u8"键位设置",
                                     u8"关卡编辑器", u8"秘籍大全"};
constexpr const char8_t* kToolBenefits[] = {u8"一键安装，绿色无毒", u8"让你轻松通关",
                                            u8"记录每一局的成绩", u8"新手老手都适用"};

// --- Titles made up around a searched keyword.
constexpr const char8_t* kInventedBefore[] = {u8"",     u8"超级", u8"",     u8"3D", u8"Q版",
                                              u8"疯狂", u8"",     u8"快乐", u8"",   u8"新"};
constexpr const char8_t* kInventedAfter[] = {u8"大作战", u8"", u8"2：经典版", u8"",  u8"", u8"Pro",
                                             u8"小游戏", u8"", u8"大师",      u8"HD"};

std::string Usage(Random& random) {
    char text[32];
    std::snprintf(text, sizeof text, "%zu.%zu", 1 + random.Below(300), random.Below(10));
    return text;
}

Game SmallGame(int id) {
    Random random(static_cast<uint64_t>(id) * 7919);
    Game game;
    game.id = id;
    const std::string theme = random.Pick(kThemes);
    if (random.Chance(3)) {
        game.name = random.Pick(kLatinNames);
    } else {
        if (random.Chance(35)) game.name += random.Pick(kPrefixes);
        game.name += theme + random.Pick(kKinds);
        if (random.Chance(30)) game.name += random.Pick(kSuffixes);
    }
    game.introduction = random.Pick(kOpenings) + theme + random.Pick(kGoals) + Utf8(u8"，") +
                        random.Pick(kClosings) + Utf8(random.Chance(50) ? u8"！" : u8"。");
    game.usage = Usage(random);
    return game;
}

Game WebGame(int id) {
    Random random(static_cast<uint64_t>(id) * 104729);
    Game game;
    game.id = id;
    game.name = random.Pick(kWebPrefixes) + random.Pick(kWebSuffixes);
    if (random.Chance(40)) game.name += "OL";
    game.introduction =
        Utf8(u8"大型多人在线网页游戏，无需下载，") + random.Pick(kWebFeatures) + Utf8(u8"。");
    game.usage = Usage(random);
    return game;
}

Game Tool(int id) {
    Random random(static_cast<uint64_t>(id) * 15485863);
    Game game;
    game.id = id;
    const std::string target = random.Pick(kToolTargets);
    const std::string tool = random.Pick(kTools);
    game.name = target + tool;
    if (random.Chance(30)) game.name += " v" + std::to_string(1 + random.Below(3)) + ".1";
    game.introduction = target + Utf8(u8"玩家必备的") + tool + Utf8(u8"，") +
                        random.Pick(kToolBenefits) + Utf8(u8"。");
    game.usage = Usage(random);
    return game;
}

// The first `count` of a shuffle of the pool's indices.
std::vector<size_t> ShuffledOrder(size_t poolSize, size_t count, uint64_t seed) {
    std::vector<size_t> order(poolSize);
    std::iota(order.begin(), order.end(), size_t{0});
    Random random(seed);
    for (size_t i = poolSize; i > 1; --i)
        std::swap(order[i - 1], order[random.Below(i)]);
    order.resize(std::min(count, poolSize));
    return order;
}

}  // namespace

GameData::GameData() {
    for (int i = 0; i < kSmallGameCount; ++i)
        smallGames_.push_back(SmallGame(kSmallGameFirstId + i));
    for (int i = 0; i < kWebGameCount; ++i)
        webGames_.push_back(WebGame(kWebGameFirstId + i));
    for (int i = 0; i < kToolCount; ++i)
        tools_.push_back(Tool(kToolFirstId + i));

    const auto list = [this](std::string_view key, std::string_view sort,
                             const std::vector<Game>& pool, int count) {
        lists_.push_back(
            {key, sort, &pool,
             ShuffledOrder(pool.size(), static_cast<size_t>(count), Hash(key, Hash(sort)))});
    };
    list("0", "1", smallGames_, kSmallGameCount);
    list("0", "2", smallGames_, kSmallGameCount);  // recently updated
    list("7", "1", smallGames_, kMiniGameCount);
    list("8", "1", webGames_, kWebGameCount);
    list("9", "1", tools_, kToolCount);
}

const GameData::List* GameData::FindList(std::string_view categoryKey,
                                         std::string_view sort) const {
    for (const List& list : lists_) {
        if (list.categoryKey == categoryKey && list.sort == sort) return &list;
    }
    return nullptr;
}

HotListPage GameData::HotList(std::string_view categoryKey, std::string_view sort, int page) const {
    HotListPage result;
    const List* list = FindList(categoryKey, sort);
    if (!list) return result;
    result.total = static_cast<int>(list->order.size());
    result.pageCount = (result.total + kPageSize - 1) / kPageSize;
    if (page < 1 || page > result.pageCount) return result;
    for (int rank = (page - 1) * kPageSize; rank < std::min(page * kPageSize, result.total);
         ++rank) {
        result.games.push_back(&(*list->pool)[list->order[static_cast<size_t>(rank)]]);
    }
    return result;
}

std::vector<Game> GameData::InventResults(const std::string& keyword) {
    const uint64_t seed = Hash(keyword);
    const int count = 3 + static_cast<int>(seed % 118);
    const int firstId = kInventedFirstId + static_cast<int>((seed >> 16) % 8000) * 1000;
    std::vector<Game> games;
    for (int i = 0; i < count; ++i) {
        Random random(seed + static_cast<uint64_t>(i));
        const size_t variant = static_cast<size_t>(i) % std::size(kInventedBefore);
        Game game;
        game.id = firstId + i;
        game.name = Utf8(kInventedBefore[variant]) + keyword + Utf8(kInventedAfter[variant]);
        if (i >= static_cast<int>(std::size(kInventedBefore))) {
            game.name += std::to_string(i / std::size(kInventedBefore) + 1);
        }
        game.introduction = Utf8(u8"最受欢迎的") + keyword + Utf8(u8"小游戏，") +
                            random.Pick(kClosings) + Utf8(u8"。");
        game.usage = Usage(random);
        games.push_back(std::move(game));
    }
    const std::lock_guard lock(inventedMutex_);
    for (const Game& game : games)
        invented_[game.id] = game;
    return games;
}

SearchResult GameData::Search(const std::string& keyword, int page, int pageSize) {
    SearchResult result;
    if (keyword.empty() || keyword.find(Utf8(u8"没有")) != std::string::npos) return result;

    std::vector<Game> matches;
    for (const size_t index : FindList("0", "1")->order) {
        const Game& game = smallGames_[index];
        if (game.name.find(keyword) != std::string::npos) matches.push_back(game);
    }
    for (const auto* pool : {&webGames_, &tools_}) {
        for (const Game& game : *pool) {
            if (game.name.find(keyword) != std::string::npos) matches.push_back(game);
        }
    }
    if (matches.empty()) matches = InventResults(keyword);

    result.total = static_cast<int>(matches.size());
    const long first = static_cast<long>(page - 1) * pageSize;
    if (page < 1 || pageSize < 1 || first >= result.total) return result;
    const long last = std::min<long>(first + pageSize, result.total);
    result.games.assign(matches.begin() + first, matches.begin() + last);
    return result;
}

std::optional<Game> GameData::Find(int id) const {
    if (id >= kSmallGameFirstId && id < kSmallGameFirstId + kSmallGameCount) {
        return smallGames_[id - kSmallGameFirstId];
    }
    if (id >= kWebGameFirstId && id < kWebGameFirstId + kWebGameCount) {
        return webGames_[id - kWebGameFirstId];
    }
    if (id >= kToolFirstId && id < kToolFirstId + kToolCount) return tools_[id - kToolFirstId];
    const std::lock_guard lock(inventedMutex_);
    const auto found = invented_.find(id);
    if (found == invented_.end()) return std::nullopt;
    return found->second;
}
