"""Named text corpora of about 100 000 characters for the normalization benchmark.

The sentences are our own; each corpus cycles through its sentences in a fixed shuffled
order until it reaches the target size (the emoji text is generated from lists of words
and emoji). Composed (NFC) and decomposed (NFD) forms are derived with ICU, so that
charlore never prepares its own inputs.
"""
import random

import icu

TARGET_LENGTH = 100_000

ENGLISH = [
    "The harbour was quiet before dawn, and the boats rocked gently against the pier.",
    "A small bakery on the corner sells bread that is still warm at seven o'clock.",
    "Engineers measured the bridge twice, because the first figures looked too good.",
    "Every library keeps a few books that nobody has borrowed for thirty years.",
    "The train to the mountains leaves at noon; bring a coat, it gets cold up there.",
    "She wrote the recipe on the back of an envelope and lost it the next morning.",
    "Rain had washed the chalk drawings off the pavement by the afternoon.",
    "Our neighbour repairs old radios and plays them loudly in the garden.",
]

FRENCH = [
    "Le boulanger ôte son tablier à midi et déjeune près de la fenêtre ouverte.",
    "Ça sent déjà l'été : les cerises mûrissent et les élèves rêvent de vacances.",
    "Où est passée la clé du garage ? Hélène l'a peut-être rangée dans le tiroir.",
    "Le château, bâti au XIIe siècle, domine une rivière aux eaux très claires.",
    "Noël approche ; la forêt se couvre de givre et les chemins deviennent glissants.",
    "Après la pluie, l'air frais réveille les odeurs de la terre et des feuilles.",
    "Les étudiants préfèrent la bibliothèque du quartier, plus calme que l'université.",
    "Une crème brûlée, un café noir et l'addition, s'il vous plaît, garçon.",
]

VIETNAMESE = [
    "Buổi sáng ở chợ quê rất đông người, ai cũng mua rau tươi và cá mới.",
    "Con đường ven sông được trồng nhiều hàng cây xanh mát vào mùa hè.",
    "Cô giáo dặn học sinh đọc thêm sách trước khi bắt đầu kỳ nghỉ dài.",
    "Chiếc xe đạp cũ của ông nội vẫn chạy tốt sau bốn mươi năm.",
    "Trời đổ mưa lớn nên cả nhà ngồi uống trà và kể chuyện ngày xưa.",
    "Những chiếc thuyền nhỏ rời bến khi mặt trời vừa lên khỏi biển.",
    "Bà tôi nấu phở ngon nhất xóm, nước dùng trong và thơm mùi quế.",
]

KOREAN = [
    "아침 일찍 시장에 가면 신선한 채소와 생선을 싸게 살 수 있습니다.",
    "우리 동네 도서관은 조용해서 공부하기에 아주 좋은 곳입니다.",
    "비가 그친 뒤에 산책을 나가니 공기가 맑고 하늘이 파랬습니다.",
    "할머니께서 끓여 주신 된장찌개는 언제 먹어도 맛있습니다.",
    "기차가 터널을 지나자 창밖으로 넓은 바다가 펼쳐졌습니다.",
    "친구와 함께 오래된 사진을 보며 어린 시절 이야기를 나눴습니다.",
    "겨울이 오기 전에 창문을 고치고 난로를 청소해야 합니다.",
]

CJK = [
    "朝早く市場へ行くと、新鮮な野菜と魚が安く買えます。",
    "図書館はとても静かで、勉強するのにちょうどいい場所です。",
    "雨がやんだあと、川沿いの道を散歩しました。",
    "电车穿过隧道以后，窗外出现了一片宽阔的大海。",
    "奶奶做的饭菜总是最好吃的，尤其是冬天的热汤。",
    "这座古老的桥已经有三百多年的历史了。",
    "週末は友達と一緒に山へ登る予定です。",
    "我们在公园里看见很多人放风筝。",
]

GREEK_POLYTONIC = [
    "Ἐν ἀρχῇ ἦν ὁ λόγος τῆς θαλάσσης, καὶ οἱ ναῦται ᾖδον ἐν τῇ νυκτί.",
    "Ὁ γέρων ἁλιεὺς ἐκάθητο παρὰ τὸν αἰγιαλὸν καὶ ἐθεώρει τὰ κύματα.",
    "Αἱ μέλισσαι ἐπέτοντο ἀπὸ ἄνθους εἰς ἄνθος ἐν τῷ κήπῳ τῆς οἰκίας.",
    "Ἡ ὁδὸς ἡ πρὸς τὸ ὄρος ἦν μακρὰ καὶ δύσβατος, ἀλλ' οἱ ὁδοιπόροι οὐκ ἔκαμνον.",
    "Τῇ ὑστεραίᾳ ὁ ἥλιος ἀνέτειλεν ὑπὲρ τῶν νήσων καὶ ἐφώτισε τὸν λιμένα.",
    "Ὦ φίλε, εἰπέ μοι πόθεν ἥκεις καὶ ποῖ πορεύῃ σήμερον.",
]

RUSSIAN = [
    "Утром на рынке было много людей, и все покупали свежие овощи и рыбу.",
    "Старый мост через реку построили ещё в прошлом веке, но он стоит крепко.",
    "Зимой в нашем городе рано темнеет, и мы зажигаем лампы уже в четыре часа.",
    "Бабушка испекла пирог с яблоками и позвала всех соседей на чай.",
    "Поезд в горы уходит в полдень; возьмите тёплую куртку и шарф.",
    "В библиотеке тихо, только слышно, как кто-то листает старый журнал.",
    "Мой друг чинит велосипеды во дворе и всё время напевает песни.",
    "После дождя воздух стал свежим, а на траве блестели тяжёлые капли.",
]

HINDI = [
    "सुबह के समय बाज़ार में बहुत भीड़ होती है और लोग ताज़ी सब्ज़ियाँ ख़रीदते हैं।",
    "हमारे गाँव की नदी के किनारे पुराने पेड़ों की लंबी क़तार है।",
    "दादी ने शाम को सबके लिए गरम चाय और पकौड़े बनाए।",
    "बारिश के बाद मिट्टी की ख़ुशबू पूरे आँगन में फैल गई।",
    "पुस्तकालय में बैठकर विद्यार्थी परीक्षा की तैयारी कर रहे थे।",
    "रेलगाड़ी पहाड़ों की ओर दोपहर बारह बजे रवाना होती है।",
    "मेरे मित्र ने पुराने रेडियो को ठीक करके फिर से चला दिया।",
]

# Fully vowelled: short vowels, tanwin, sukun and shadda (with its vowel) on most letters.
ARABIC_VOWELLED = [
    "ذَهَبَ الوَلَدُ إِلَى السُّوقِ فِي الصَّبَاحِ البَاكِرِ.",
    "كَتَبَتِ البِنْتُ رِسَالَةً طَوِيلَةً إِلَى جَدَّتِهَا.",
    "يَجْلِسُ الصَّيَّادُ العَجُوزُ عَلَى شَاطِئِ البَحْرِ كُلَّ مَسَاءٍ.",
    "قَرَأْنَا كِتَابًا جَمِيلًا عَنْ تَارِيخِ المَدِينَةِ القَدِيمَةِ.",
    "هَطَلَ المَطَرُ غَزِيرًا فَجَلَسْنَا فِي البَيْتِ نَشْرَبُ الشَّايَ.",
    "تَفْتَحُ المَكْتَبَةُ أَبْوَابَهَا لِلطُّلَّابِ مِنَ الصَّبَاحِ حَتَّى المَسَاءِ.",
]

# With vowel points, dagesh and the shin and sin dots.
HEBREW_POINTED = [
    "בַּבֹּקֶר הָלַכְנוּ לַשּׁוּק וְקָנִינוּ יְרָקוֹת טְרִיִּים.",
    "הַסַּבְתָּא אָפְתָה עוּגָה וְהִזְמִינָה אֶת כָּל הַשְּׁכֵנִים.",
    "הָרַכֶּבֶת לֶהָרִים יוֹצֵאת בַּצָּהֳרַיִם.",
    "אַחֲרֵי הַגֶּשֶׁם הָאֲוִיר הָיָה צָלוּל וְנָעִים.",
    "בַּסִּפְרִיָּה שָׁקֵט, וְרַק רַחַשׁ הַדַּפִּים נִשְׁמָע.",
    "הַדַּיָּג הַזָּקֵן יוֹשֵׁב עַל שְׂפַת הַיָּם בְּכָל עֶרֶב.",
]

# Emoji text: words with single emoji, emoji with skin-tone modifiers, ZWJ sequences
# (families, people with a profession and a skin tone, flags of the rainbow kind), flags
# of regional indicators and keycaps.
EMOJI_WORDS = ["see", "you", "at", "the", "park", "later", "great", "news", "thanks", "so", "much", "lunch", "today"]
EMOJI_BASES = ["\U0001F600", "\U0001F389", "\U0001F355", "\u2615", "\U0001F680", "\u2764\ufe0f", "\U0001F31F"]
SKIN_TONES = ["\U0001F3FB", "\U0001F3FC", "\U0001F3FD", "\U0001F3FE", "\U0001F3FF"]
MODIFIABLE = ["\U0001F44D", "\U0001F44B", "\U0001F44F", "\U0001F64F", "\u270C\ufe0f"]
PEOPLE = ["\U0001F468", "\U0001F469", "\U0001F9D1"]
PROFESSIONS = ["\U0001F4BB", "\U0001F52C", "\U0001F373", "\U0001F680", "\U0001F3A8", "\U0001F33E"]
FAMILIES = [
    "\U0001F468\u200d\U0001F469\u200d\U0001F467\u200d\U0001F466",
    "\U0001F469\u200d\U0001F469\u200d\U0001F466",
    "\U0001F3F3\ufe0f\u200d\U0001F308",
    "\u2764\ufe0f\u200d\U0001F525",
]
FLAGS = ["\U0001F1EB\U0001F1F7", "\U0001F1EF\U0001F1F5", "\U0001F1E7\U0001F1F7", "\U0001F1F3\U0001F1EC"]
KEYCAPS = ["1\ufe0f\u20e3", "#\ufe0f\u20e3"]

# Combining marks of many classes (230 above, 220 below, 202 attached below, 1 overlay,
# 240 iota subscript, 233/234 double marks, 216 attached above right, 7 nukta, 9 virama).
MIXED_MARKS = [
    "\u0300", "\u0301", "\u0302", "\u0308", "\u030A", "\u0313", "\u0314", "\u0342",
    "\u0316", "\u0317", "\u0323", "\u0324", "\u0327", "\u0328", "\u0334", "\u0335",
    "\u0345", "\u035C", "\u035D", "\u031B", "\u093C", "\u094D", "\u05B0", "\u0651",
]


def cycle_sentences(sentences, seed, separator=" "):
    """Sentences in a repeatable shuffled order, joined until TARGET_LENGTH is reached."""
    generator = random.Random(seed)
    parts, length = [], 0
    while length < TARGET_LENGTH:
        batch = list(sentences)
        generator.shuffle(batch)
        for sentence in batch:
            parts.append(sentence)
            length += len(sentence) + len(separator)
    return separator.join(parts)[:TARGET_LENGTH]


def mixed_mark_runs(seed=7):
    """Latin letters each followed by a long run (8 to 40) of marks in random order."""
    generator = random.Random(seed)
    parts, length = [], 0
    while length < TARGET_LENGTH:
        run = "".join(generator.choice(MIXED_MARKS) for _ in range(generator.randint(8, 40)))
        piece = generator.choice("aeiouwyn") + run
        parts.append(piece)
        length += len(piece)
    return "".join(parts)[:TARGET_LENGTH]


def emoji_text(seed=8):
    """Short messages of words and emoji of every kind, joined by spaces."""
    generator = random.Random(seed)
    kinds = [
        lambda: generator.choice(EMOJI_BASES),
        lambda: generator.choice(MODIFIABLE) + generator.choice(SKIN_TONES),
        lambda: generator.choice(PEOPLE) + generator.choice(SKIN_TONES) + "\u200d" + generator.choice(PROFESSIONS),
        lambda: generator.choice(FAMILIES),
        lambda: generator.choice(FLAGS),
        lambda: generator.choice(KEYCAPS),
    ]
    parts, length = [], 0
    while length < TARGET_LENGTH:
        words = generator.sample(EMOJI_WORDS, generator.randint(1, 4))
        piece = " ".join(words) + " " + "".join(generator.choice(kinds)() for _ in range(generator.randint(1, 4)))
        parts.append(piece)
        length += len(piece) + 1
    return " ".join(parts)[:TARGET_LENGTH]


def nfd(text):
    return icu.Normalizer2.getNFDInstance().normalize(text)


def nfc(text):
    return icu.Normalizer2.getNFCInstance().normalize(text)


def build():
    """The corpora as an ordered dict of name -> str."""
    french = nfc(cycle_sentences(FRENCH, 2))
    korean = nfc(cycle_sentences(KOREAN, 4))
    return {
        "ascii prose": cycle_sentences(ENGLISH, 1),
        "french": french,
        "french NFD": nfd(french),
        "vietnamese NFD": nfd(cycle_sentences(VIETNAMESE, 3)),
        "korean syllables": korean,
        "korean jamo": nfd(korean),
        "japanese/chinese": nfc(cycle_sentences(CJK, 5, separator="")),
        "greek marks": nfd(cycle_sentences(GREEK_POLYTONIC, 6)),
        "mixed mark runs": mixed_mark_runs(),
        "vietnamese": nfc(cycle_sentences(VIETNAMESE, 3)),
        "greek polytonic": nfc(cycle_sentences(GREEK_POLYTONIC, 6)),
        "russian": nfc(cycle_sentences(RUSSIAN, 9)),
        "hindi": nfc(cycle_sentences(HINDI, 10)),
        "arabic vowelled": nfc(cycle_sentences(ARABIC_VOWELLED, 11)),
        "hebrew pointed": nfc(cycle_sentences(HEBREW_POINTED, 12)),
        "emoji sequences": nfc(emoji_text()),
    }
