#!/usr/bin/env python3
"""Deterministic CP932 test corpus for the speed benchmark.

  gen_corpus.py OUT [--preset main|wine|big|tree|walk] [--seed N] [--names cp932|utf8|ascii]

Writes OUT/tree/... (the files to search) and OUT/manifest.json (the needles
and how many lines hold each).  Presets:
  main  5.4 million lines (255 MB) in 3000 files, folders 1-6 levels deep
  wine  1,000,000 lines (and a few) in 200 files, the ASCII "many" needle on 20,000 lines
  big   one 300 MB file of ordinary lines and one 50 MB single-line file
  tree  tree/big with 5,000 subfolders (each with a small file, every other one
        with a subfolder of its own) and tree/other with one subfolder
  walk  10,200 small files (20-100 lines) in 5,100 folders two levels deep
--names: host file names in CP932 bytes (what the native probe expects), in
UTF-8 (what Wine expects) or plain ASCII (safe everywhere).  Content is the same.
"""
import argparse, json, math, os, random

E = "cp932"
NEEDLES = {  # "few": on 100 lines; "many": on 5% of the lines (main) or 20,000 (wine)
    "ascii_few": "Kvarn42",
    "ascii_many": "Tolvane",
    "ja_few": "検索漏れ",
    "ja_many": "東京都",
}
# Byte sequences a byte-wise grep matches but a character-wise search must not:
# the needle's first byte is the trail byte of a double-byte character
# (83 4B = ガ, then "varn42"; 83 8C = レ, then 沚 and so on).
TRAPS = {k: b"\x83" + NEEDLES[k].encode(E) for k in ("ascii_few", "ja_few")}
# Vocabulary of the lines; none of it may form a needle.  Folder and file
# names are (Japanese, romaji for --names ascii).
KANJI = ("会社 社員 資料 報告 会議 検討 予定 確認 対応 作業 開発 設計 試験 品質 管理 計画 部長 課長 顧客 契約 "
         "請求 見積 納品 在庫 出荷 売上 利益 経費 年度 月次 週報 日報 変更 修正 追加 削除 登録 更新 表示 印刷 "
         "表 能 十 申請 承認 担当 連絡 電話 番号 住所 氏名 大阪府 名古屋 札幌 福岡 横浜 神戸 取引先 手順 注意 "
         "障害 復旧 保守 運用 環境 設定 構成 機能 画面 帳票 項目 単価 数量 合計 金額 税込 税抜").split()
KANA = ("は が の を に で と も から まで より です ます ました でした について により ため こと もの よう "
        "データ システム サーバー ファイル ソフトウェア プロジェクト テスト レポート ネットワーク メール ソース "
        "ダウンロード バックアップ ログイン パスワード ユーザー ｶﾀｶﾅ ﾃｽﾄ ｻｰﾊﾞｰ").split()
WIDE = "ＰＣ ＯＳ ＡＢＣ ＵＳＢ ＣＰＵ １２３ ２０２４年 ａｂｃ Ｗｉｎｄｏｗｓ ＃１".split()
SYM = "、 。 「 」 （ ） ・ ： ※ ◆ ★ ① ② 〒 ～ ‐".split()
ASCII = ("error warning info debug user file path config value index count total id=42 status=OK "
         "http://example.com/a C:\\temp\\log.txt 2023-04-01 12:34:56 0x1F3A return void int char "
         "SELECT FROM WHERE NULL true false Tokyo Osaka size=1024 ver1.2.3 #include <stdio.h> foo bar").split()
DIRS = [("資料", "shiryo"), ("報告書", "houkoku"), ("表計算", "hyokeisan"), ("ソース", "source"),
        ("議事録", "gijiroku"), ("データ", "data"), ("設計書", "sekkei"), ("過去ログ", "kakolog"),
        ("顧客管理", "kokyaku"), ("能率", "nouritsu")]  # 表 ソ 能 end in byte 5C
FILES = [("議事録", "gijiroku", ".txt"), ("売上", "uriage", ".csv"), ("作業ログ", "sagyolog", ".log"),
         ("メモ", "memo", ".txt"), ("ソース一覧", "sourcelist", ".txt"), ("報告", "houkoku", ".txt")]


def words(rng):
    pick = rng.random()
    if pick < 0.45: return rng.choice(KANJI)
    if pick < 0.70: return rng.choice(KANA)
    if pick < 0.77: return rng.choice(WIDE)
    if pick < 0.85: return rng.choice(SYM)
    return rng.choice(ASCII)


def make_pool(rng, n):
    """N distinct-ish lines as (bytes, char boundary in the middle)."""
    pool = []
    for _ in range(n):
        if rng.random() < 0.04:
            pool.append((b"", 0)); continue
        toks = [words(rng) for _ in range(rng.randint(1, 16))]
        sep = rng.choice(["", "", " ", "\t", "、"])
        text = ("\t" if rng.random() < 0.1 else "") + sep.join(toks)
        half = len(text) // 2
        pool.append((text.encode(E), len(text[:half].encode(E))))
    for b, _ in pool:  # the pool must be needle free, byte-wise and case-blind
        for t in NEEDLES.values():
            assert t.encode(E).lower() not in b.lower(), (t, b)
    return pool


def plant(line, mid, needle, rng):
    where = rng.random()
    if where < 0.3: return needle + line
    if where < 0.6: return line + b" " + needle
    return line[:mid] + needle + line[mid:]


def name(pair, mode):
    ja, ro = pair
    return {"cp932": ja.encode(E), "utf8": ja.encode("utf-8"), "ascii": ro.encode()}[mode]


def folders(rng, mode, top):
    """Folder paths (bytes, relative) 1..6 levels deep."""
    out, stack = [], [(b"", 0)]
    while stack:
        path, depth = stack.pop()
        n = top if depth == 0 else (rng.randint(2, 4) if depth < 6 and rng.random() < 0.8 - depth * 0.08 else 0)
        for i in range(n):
            d = rng.choice(DIRS)
            p = path + (b"/" if path else b"") + name(d, mode) + b"%02d" % i
            out.append((p, depth + 1)); stack.append((p, depth + 1))
    return out


def write_files(out, rng, mode, nlines, nfiles, many, few, pool):
    """NLINES pool lines (plus headword lines) in NFILES files; each "many"
    needle exactly on MANY lines, each "few" one on FEW, at global line numbers."""
    dirs = folders(rng, mode, 6)
    weights = [math.exp(rng.gauss(0, 1.3)) for _ in range(nfiles)]
    s = sum(weights)
    sizes = [round(nlines * w / s) for w in weights]
    sizes[-1] += nlines - sum(sizes)
    # line number -> bytes to plant; ASCII needles also get 1/8 more lines
    # spelt in upper or lower case, the "few" ones 7 byte-wise-only traps.
    plan, counts = {}, {}
    for k, text in NEEDLES.items():
        n = many if "many" in k else few
        other = [text.upper(), text.lower()] if text.isascii() else []
        extra = n // 8 if other else 0
        traps = 7 if k in TRAPS else 0
        for j, pos in enumerate(rng.sample(range(nlines), n + extra + traps)):
            b = text.encode(E) if j < n else other[j % 2].encode(E) if j < n + extra else TRAPS[k]
            plan.setdefault(pos, []).append(b)
        counts[k] = {"case": n, "nocase": n + extra, "bytewise_extra": traps}
    nbytes = base = heads = 0
    for i, n in enumerate(sizes):
        d = dirs[rng.randrange(len(dirs))][0] if rng.random() < 0.97 else b""
        f = rng.choice(FILES)
        path = os.path.join(out, d, name(f[:2], mode) + b"_%04d" % i + f[2].encode())
        os.makedirs(os.path.dirname(path), exist_ok=True)
        picks = rng.choices(pool, k=n)
        lines, nexthead = [], rng.randint(0, 40)
        for j, (line, mid) in enumerate(picks):
            if j == nexthead:  # headword lines every 20-80 lines
                heads += 1
                nexthead += rng.randint(20, 80)
                lines.append(("■第%d項　" % heads + rng.choice(KANJI) + rng.choice(KANA)).encode(E))
            for b in plan.get(base + j, ()):
                line, mid = plant(line, mid, b, rng), 0
            lines.append(line)
        data = b"\r\n".join(lines) + (b"\r\n" if lines else b"")
        with open(path, "wb") as fh:
            fh.write(data)
        nbytes += len(data); base += n
    return counts, base + heads, nbytes, len(dirs), heads


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("out")
    ap.add_argument("--preset", default="main", choices=["main", "wine", "big", "tree", "walk"])
    ap.add_argument("--seed", type=int, default=20240601)
    ap.add_argument("--names", default="cp932", choices=["cp932", "utf8", "ascii"])
    a = ap.parse_args()
    rng = random.Random(a.seed)
    tree = os.path.join(a.out, "tree")
    os.makedirs(tree, exist_ok=True)
    info = {"preset": a.preset, "seed": a.seed, "names": a.names,
            "needles": {k: v.encode(E).hex() for k, v in NEEDLES.items()}}
    if a.preset == "tree":
        os.makedirs(os.path.join(tree, "other", "x"), exist_ok=True)
        for i in range(5000):  # every other one a leaf
            d = os.path.join(tree, "big", "d%04d" % i)
            os.makedirs(os.path.join(d, "sub") if i % 2 == 0 else d, exist_ok=True)
            with open(os.path.join(d, "a.txt"), "wb") as fh:
                fh.write("東京%d\r\n".encode(E) % i)
        info["folders"] = 5000
    elif a.preset == "walk":
        # Many small files in many folders: the walk, not the scan, is timed.
        pool = make_pool(rng, 20000)
        nfiles = nlines = nbytes = 0
        for i in range(100):
            top = os.path.join(os.fsencode(tree), name(rng.choice(DIRS), a.names) + b"%03d" % i)
            for j in range(51):
                d = top if j == 50 else os.path.join(top, name(rng.choice(DIRS), a.names) + b"%02d" % j)
                os.makedirs(d, exist_ok=True)
                for k in range(2):
                    f = rng.choice(FILES)
                    lines = [p[0] for p in rng.choices(pool, k=rng.randint(20, 100))]
                    data = b"\r\n".join(lines) + b"\r\n"
                    with open(os.path.join(d, name(f[:2], a.names) + b"_%d" % k + f[2].encode()), "wb") as fh:
                        fh.write(data)
                    nfiles += 1; nlines += len(lines); nbytes += len(data)
        info.update(folders=100 * 51, files=nfiles, lines=nlines, bytes=nbytes)
    elif a.preset == "big":
        pool = make_pool(rng, 100000)
        with open(os.path.join(tree, "ordinary.txt"), "wb") as fh:
            total = 0
            while total < 300 << 20:
                chunk = b"\r\n".join(p[0] for p in rng.choices(pool, k=100000)) + b"\r\n"
                fh.write(chunk); total += len(chunk)
            fh.write(b"Kvarn42 at the end\r\n")
        with open(os.path.join(tree, "oneline.txt"), "wb") as fh:
            total = 0
            while total < 50 << 20:
                chunk = b" ".join(p[0] for p in rng.choices(pool, k=10000)) + b" "
                if rng.random() < 0.03:  # a handful of hits inside the one line
                    chunk += b"Kvarn42 "
                fh.write(chunk); total += len(chunk)
            fh.write(b"\r\n")
        info["files"] = {"ordinary.txt": os.path.getsize(os.path.join(tree, "ordinary.txt")),
                         "oneline.txt": os.path.getsize(os.path.join(tree, "oneline.txt"))}
    else:
        pool = make_pool(rng, 200000)
        nlines, nfiles, many = (5_300_000, 3000, 265_000) if a.preset == "main" else (981_000, 200, 20_000)
        counts, lines, nbytes, ndirs, heads = write_files(os.fsencode(tree), rng, a.names, nlines, nfiles, many, 100, pool)
        info.update(counts=counts, lines=lines, bytes=nbytes, folders=ndirs, files=nfiles, headwords=heads)
    with open(os.path.join(a.out, "manifest.json"), "w") as fh:
        json.dump(info, fh, indent=1)
    print(json.dumps(info))


if __name__ == "__main__":
    main()
