/* The suite's main database as far as this program reaches it.
   The program never creates these tables: this script stands in for the
   suite's own installation in the tests and the demo. Text columns hold
   code page 932 bytes in a database whose default character set is NONE.
   The four newer supplier columns come from suite-newer-columns.sql; a
   database made without it is the "old" suite the schema repairs expect. */

CREATE GENERATOR GYOUSYA_ID;

CREATE TABLE MAS_SIIRE (
    T_CD                INTEGER NOT NULL,
    CD_SITEN            SMALLINT,
    T_KEY               VARCHAR(20),
    T_NAME01            VARCHAR(100),
    T_NAME02            VARCHAR(100),
    T_NAME03            VARCHAR(100),
    T_ZIP_CD            VARCHAR(10),
    T_ADD_1             VARCHAR(100),
    T_ADD_2             VARCHAR(100),
    T_DAIHYOU           VARCHAR(40),
    T_BUSYO             VARCHAR(40),
    T_TANTOU            VARCHAR(40),
    T_TEL               VARCHAR(14),
    T_FAX               VARCHAR(14),
    BIKOU_01            VARCHAR(100),
    BIKOU_02            VARCHAR(100),
    BIKOU_03            VARCHAR(100),
    BIKOU_04            VARCHAR(100),
    BIKOU_05            VARCHAR(100),
    KU_TAX              SMALLINT,
    KU_TAX_K            SMALLINT,
    KU_KAMOKU           SMALLINT,
    KU_KOUSYU           SMALLINT,
    KU_KAISYU           SMALLINT,
    KU_SEIKYU           SMALLINT,
    KU_KIN_K            SMALLINT,
    KU_UKEOI            SMALLINT,
    KU_SIME             SMALLINT,
    KU_HARAI            SMALLINT,
    KU_T_KETA           SMALLINT,
    KU_G_KETA           SMALLINT,
    KIN_01              DOUBLE PRECISION,
    KIN_02              DOUBLE PRECISION,
    KIN_03              DOUBLE PRECISION,
    KIN_X0              DOUBLE PRECISION,
    KIN_X1              DOUBLE PRECISION,
    KIN_X2              DOUBLE PRECISION,
    KIN                 DOUBLE PRECISION,
    GINKOU_CD           VARCHAR(10),
    GINKOU_S_CD         VARCHAR(10),
    GINKOU_NAME         VARCHAR(80),
    GINKOU_S_NAME       VARCHAR(80),
    GINKOU_KOUZA_CD     SMALLINT,
    GINKOU_KOUZA_BANGOU VARCHAR(10),
    GINKOU_KOUZA_KANA   VARCHAR(80),
    GINKOU_KOUZA_NAME   VARCHAR(10),
    GINKOU_KOUZA_MEIGI  VARCHAR(80),
    E_DATE01            DATE,
    E_DATE02            DATE,
    E_DATE03            DATE,
    E_DATE04            DATE,
    PC_NAME             VARCHAR(40),
    CONSTRAINT PK_MAS_SIIRE PRIMARY KEY (T_CD)
);
/* Browsing backwards reads the codes from the top down. */
CREATE DESCENDING INDEX IX_MAS_SIIRE_T_CD_DESC ON MAS_SIIRE (T_CD);

/* Basic settings, one row per setting number. */
CREATE TABLE LOOK_KIHON (
    CD   INTEGER NOT NULL,
    NAME VARCHAR(100),
    CONSTRAINT PK_LOOK_KIHON PRIMARY KEY (CD)
);

/* Code lists of the coded fields. The screen rewrites their fixed rows and
   may add a row twice, so they carry no key. */
CREATE TABLE LOOK_TAX_KUBUN (CD INTEGER, NAME VARCHAR(40));
CREATE TABLE LOOK_HASUU     (CD INTEGER, NAME VARCHAR(40));
CREATE TABLE LOOK_KAMOKU    (CD INTEGER, NAME VARCHAR(40));
CREATE TABLE LOOK_SIHARAI   (CD INTEGER, NAME VARCHAR(40));
CREATE TABLE LOOK_SEIKYUU   (CD INTEGER, NAME VARCHAR(40));

/* Banks and branches, by number: readings in half-width katakana, names in kanji. */
CREATE TABLE MAS_BANK (
    SHGINCODE INTEGER NOT NULL,
    SGINNAME1 VARCHAR(30),
    SGINNAME2 VARCHAR(60),
    CONSTRAINT PK_MAS_BANK PRIMARY KEY (SHGINCODE)
);

CREATE TABLE MAS_BANK_S (
    SHGINCODE INTEGER NOT NULL,
    SHSTNCODE INTEGER NOT NULL,
    SSTNNAME1 VARCHAR(30),
    SSTNNAME2 VARCHAR(60),
    CONSTRAINT PK_MAS_BANK_S PRIMARY KEY (SHGINCODE, SHSTNCODE)
);

/* Postal codes. YOMI is added by the program when it is missing. */
CREATE TABLE LOOK_ZIP (
    ZIP_CD     VARCHAR(7),
    KEN_NAME   VARCHAR(20),
    TIKU_NAME1 VARCHAR(60),
    TIKU_NAME2 VARCHAR(200),
    TI_MEI     VARCHAR(280),
    TIKU_CD    INTEGER
);
CREATE INDEX IX_LOOK_ZIP_ZIP_CD ON LOOK_ZIP (ZIP_CD);

/* Trade types: major class, minor class within it (0 = the heading). */
CREATE TABLE MAS_KOUSYU_02 (
    BL_KUBUN SMALLINT NOT NULL,
    BM_KUBUN SMALLINT NOT NULL,
    NAME01   VARCHAR(40),
    CONSTRAINT PK_MAS_KOUSYU_02 PRIMARY KEY (BL_KUBUN, BM_KUBUN)
);

/* The suite's transaction tables that refer to a supplier by its code. */
CREATE TABLE DAT_JIKKOU (
    JIKKOU_NO INTEGER NOT NULL,
    T_CD_2    INTEGER,
    KOUSYU    INTEGER,
    KINGAKU   DOUBLE PRECISION
);
CREATE INDEX IX_DAT_JIKKOU_T_CD_2 ON DAT_JIKKOU (T_CD_2);

CREATE TABLE DAT_SIAGE02       (SIAGE_NO   INTEGER NOT NULL, T_CD_2 INTEGER, KINGAKU DOUBLE PRECISION);
CREATE TABLE DAT_K_KOUTEI      (KOUTEI_NO  INTEGER NOT NULL, T_CD2  INTEGER, NAIYOU  VARCHAR(100));
CREATE TABLE DAT_MITUMORI_M    (MITUMORI_NO INTEGER NOT NULL, S_CD  INTEGER, KINGAKU DOUBLE PRECISION);
CREATE TABLE DAT_JIKKOU_MEISAI (MEISAI_NO  INTEGER NOT NULL, T_CD_2 INTEGER, KINGAKU DOUBLE PRECISION);
CREATE TABLE DAT_HYOUSI_05     (HYOUSI_NO  INTEGER NOT NULL, T_CD_2 INTEGER, KINGAKU DOUBLE PRECISION);
CREATE TABLE DAT_MEISAI03      (MEISAI_NO  INTEGER NOT NULL, T_CD_2 INTEGER, KINGAKU DOUBLE PRECISION);
CREATE TABLE DAT_HYOUSI_03     (HYOUSI_NO  INTEGER NOT NULL, T_CD_2 INTEGER, KINGAKU DOUBLE PRECISION);
CREATE TABLE DAT_SATEI03       (SATEI_NO   INTEGER NOT NULL, T_CD_2 INTEGER, KINGAKU DOUBLE PRECISION);

COMMIT;
