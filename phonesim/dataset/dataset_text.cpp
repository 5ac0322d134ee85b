// The random source and the text pools of the sample phones.
#include <cstdio>

#include "dataset/dataset_parts.h"

namespace phonesim {

uint64_t Rng::next() {
    uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
}

int Rng::below(int n) {
    return n <= 1 ? 0 : static_cast<int>(next() % static_cast<uint64_t>(n));
}

int Rng::between(int low, int high) {
    return low + below(high - low + 1);
}

bool Rng::chance(int percent) {
    return below(100) < percent;
}

std::string contactNumber(int i) {
    // Three spellings, as people type them into their phones.
    char text[40];
    unsigned digits = 2000000u + static_cast<unsigned>(i) * 7919u % 7000000u;
    switch (i % 3) {
    case 0: std::snprintf(text, sizeof text, "+49 151 %07u", digits); break;
    case 1: std::snprintf(text, sizeof text, "0170-%07u", digits); break;
    default: std::snprintf(text, sizeof text, "(030) %03u %04u", digits / 10000, digits % 10000); break;
    }
    return text;
}

std::string strangerNumber(Rng& rng) {
    char text[40];
    switch (rng.below(4)) {
    case 0: std::snprintf(text, sizeof text, "+1 415 555 %04d", rng.below(10000)); break;
    case 1: std::snprintf(text, sizeof text, "0800 %06d", rng.below(1000000)); break;
    case 2: std::snprintf(text, sizeof text, "%05d", 10000 + rng.below(90000)); break;  // a short code
    default: std::snprintf(text, sizeof text, "+33 6 %02d %02d %02d %02d", rng.below(100), rng.below(100),
                           rng.below(100), rng.below(100)); break;
    }
    return text;
}

const std::vector<std::string> kFirstNames = {
    "Anna", "Jürgen", "Zoë", "François", "Søren", "Łukasz", "Ana María", "José", "Björk", "Çağla",
    "Mei", "Hiroshi", "Ольга", "Νίκος", "Amélie", "Renée", "Émile", "Ignacio", "Ingrid", "Kwame",
    "Priya", "Sven", "Noël", "Chloé", "Dmitri", "Fatima", "Grace", "Hannah", "Isabel", "Jonas",
};

const std::vector<std::string> kLastNames = {
    "Schmidt", "Müller", "Ødegård", "Dupont", "Núñez", "Kowalski", "O'Brien", "van der Berg", "Søndergaard",
    "Yılmaz", "García-Márquez", "Smith", "Nakamura", "Иванова", "Παπαδόπουλος", "Lefèvre", "Brontë", "Weiß",
    "Larsen", "Mensah", "Sharma", "Öztürk", "da Silva", "Kim", "Lindqvist",
};

const std::vector<std::string> kNicknames = {
    "Annie", "Jojo", "Mausi 🐭", "Le Boss", "Sunny ☀️", "小明", "Doc", "Kiki", "Big Al", "Nana 👵",
};

const std::vector<std::string> kCompanies = {
    "Quenlo GmbH", "Café Müller & Söhne", "Nordlicht AB", "株式会社サンプル", "Acme Corp.", "Société Générale",
    "Bäckerei Weiß", "Zeta Labs 🚀", "Stadtwerke Köln", "Øresund Logistics",
};

const std::vector<std::string> kJobTitles = {
    "Geschäftsführerin", "Software Engineer", "Chef de cuisine", "Head of Sales", "部長", "Ärztin",
    "Project Manager", "Barista ☕", "Lehrer", "Director of Operations",
};

const std::vector<std::string> kStreets = {
    "Hauptstraße 5", "Rue de l'Église 12", "Königsallee 27a", "1-2-3 Shibuya", "Calle Mayor 8, 2º izq.",
    "Baker Street 221b", "Östra Hamngatan 3", "Via Roma 44", "Am Großen Garten 1", "Nørrebrogade 66",
};

const std::vector<std::string> kCities = {
    "10115 Berlin", "75001 Paris", "40212 Düsseldorf", "東京都渋谷区 150-0002", "28013 Madrid",
    "London NW1 6XE", "411 04 Göteborg", "00185 Roma", "01219 Dresden", "2200 København N",
};

const std::vector<std::string> kGroups = {"Family", "Friends", "Coworkers", "Sport", "Nachbarn"};

const std::vector<std::string> kNotes = {
    "Met at the conference in Zürich.",
    "Allergic to peanuts!\nPrefers tea over coffee.\nBirthday gift idea: a good book 📚",
    "Schlüssel für den Keller hat sie.",
    "会議は毎週月曜日です。",
    "Call back after 18:00 — not before.",
    "Line one\nLine two\n\nLine four after an empty line",
    "Owes me 20 € 😉",
    "Wi-Fi: \"Guest-Net\" / pass; with; semicolons",
};

const std::vector<std::string> kShortBodies = {
    "Hi! 👋", "On my way", "Kommst du heute Abend?", "OK 👍", "Merci beaucoup !", "Where are you?",
    "今どこ？", "Can you call me back?", "Ja, passt.", "😂😂😂", "See you at 7 at the café",
    "Don't forget the milk 🥛", "Alles Gute zum Geburtstag! 🎂🎉", "¿Nos vemos mañana?", "Thanks!",
    "Ich bin gleich da.", "Love you ❤️", "Meeting moved to 3pm", "Grüße aus München", "Sure, why not",
    "Your code is 482913", "Zug hat 20 Minuten Verspätung 🚆", "Привет! Как дела?", "Good night 🌙",
};

const std::vector<std::string> kLongBodies = {
    "Hallo zusammen,\nhier noch einmal die Eckdaten für Samstag:\n- Treffpunkt: 10:00 am Bahnhof\n"
    "- Mitbringen: Wanderschuhe, Regenjacke, Proviant\n- Rückkehr gegen 18:00\n\nBitte kurz Bescheid geben, "
    "wer dabei ist. Liebe Grüße, Anna 🥾",
    "Dear customer, your parcel 00340434161234567890 is out for delivery today between 10:00 and 14:00. "
    "If you are not at home, the courier will try to leave it with a neighbour or at the nearest pickup "
    "point. You can change the delivery at any time in the app. This message was sent automatically; "
    "replies to this number are not read.",
    "Ok so here is the whole story 😅\n\nFirst the train was late, then the connection was cancelled, "
    "then I got on the wrong bus (!!) and ended up at the other end of town. By the time I found a taxi "
    "the restaurant was closed. Anyway — are we still on for tomorrow?\n\nP.S. I still have your umbrella ☂️",
    "今日はありがとうございました。とても楽しかったです。\n次回は来月の第二土曜日に集まりましょう。"
    "場所はまた連絡します。よろしくお願いします！🙏",
};

const std::vector<std::string> kPlaceWords = {
    "Sunset", "Strand", "Café del Mar", "東京タワー", "Berge", "Familie", "Hochzeit 💍", "Geburtstag",
    "Schnee", "Paris", "Hafen", "Garten", "Party 🎉", "Skyline", "Müllerstraße",
};

const std::vector<std::string> kArtists = {"Die Ärzte", "Sigur Rós", "宇多田ヒカル", "Beyoncé", "Mötley Crüe",
                                           "Zaz", "The Notwist"};
const std::vector<std::string> kAlbums = {"Greatest Hits", "Ágætis byrjun", "First Love", "Lemonade",
                                          "Dr. Feelgood", "Recto Verso", "Neon Golden"};
const std::vector<std::string> kSongTitles = {
    "Schrei nach Liebe", "Svefn-g-englar", "Automatic", "Formation", "Kickstart My Heart", "Je veux",
    "Pilot", "Westerland", "Starálfur", "Hold Up", "Les passants", "光", "Consequence", "Sorry",
};
const std::vector<std::string> kVideoTitles = {"Geburtstag Oma", "Trailer", "Skate Session", "家族旅行",
                                               "Konzert 🎸", "Hochzeitstanz", "Timelapse", "Hund im Schnee"};

}  // namespace phonesim
