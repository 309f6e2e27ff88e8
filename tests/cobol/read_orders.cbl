      * Reads the uncompressed form of an order (marlune -au) with the
      * copybook that marlune-layout generates for D.96A, and shows
      * fields of several record types.
       IDENTIFICATION DIVISION.
       PROGRAM-ID. READORDERS.
       ENVIRONMENT DIVISION.
       INPUT-OUTPUT SECTION.
       FILE-CONTROL.
           SELECT UNC-FILE ASSIGN TO "orders.unc"
               ORGANIZATION IS LINE SEQUENTIAL.
       DATA DIVISION.
       FILE SECTION.
       FD  UNC-FILE.
       01  UNC-LINE                    PIC X(2000).
       WORKING-STORAGE SECTION.
       01  WS-END                      PIC X VALUE "N".
       01  WS-AMOUNT                   PIC S9(15)V99 VALUE 0.
       01  WS-TOTAL                    PIC S9(15)V99 VALUE 0.
       01  WS-QUANTITY                 PIC 9(15) VALUE 0.
       01  WS-SHOW-AMOUNT              PIC -(14)9.99.
       01  WS-SHOW-QUANTITY            PIC Z(14)9.
       COPY "d96a.cpy".
       PROCEDURE DIVISION.
           OPEN INPUT UNC-FILE
           PERFORM UNTIL WS-END = "Y"
               READ UNC-FILE
                   AT END MOVE "Y" TO WS-END
                   NOT AT END PERFORM SHOW-LINE
               END-READ
           END-PERFORM
           CLOSE UNC-FILE
           MOVE WS-TOTAL TO WS-SHOW-AMOUNT
           DISPLAY "TOTAL OF AMOUNTS " WS-SHOW-AMOUNT
           STOP RUN.
       SHOW-LINE.
           EVALUATE UNC-LINE(1:3)
             WHEN "UNH"
               MOVE UNC-LINE TO UNH-RECORD
               DISPLAY "MESSAGE " FUNCTION TRIM(UNH-01-0062)
                   " TYPE " FUNCTION TRIM(UNH-02-0065)
                   " " FUNCTION TRIM(UNH-03-0052)
                   "." FUNCTION TRIM(UNH-04-0054)
             WHEN "BGM"
               MOVE UNC-LINE TO BGM-RECORD
               DISPLAY "DOCUMENT " FUNCTION TRIM(BGM-05-1004)
                   " NAME CODE " FUNCTION TRIM(BGM-01-1001)
             WHEN "DTM"
               MOVE UNC-LINE TO DTM-RECORD
               DISPLAY "DATE " FUNCTION TRIM(DTM-01-2005)
                   " " FUNCTION TRIM(DTM-02-2380)
                   " FORMAT " FUNCTION TRIM(DTM-03-2379)
             WHEN "NAD"
               MOVE UNC-LINE TO NAD-RECORD
               DISPLAY "PARTY " NAD-01-3035 " "
                   FUNCTION TRIM(NAD-02-3039)
                   " AGENCY " FUNCTION TRIM(NAD-04-3055)
                   " CITY [" FUNCTION TRIM(NAD-20-3164) "]"
             WHEN "LIN"
               MOVE UNC-LINE TO LIN-RECORD
               DISPLAY "LINE " LIN-01-1082 " ITEM "
                   FUNCTION TRIM(LIN-03-7140) " "
                   FUNCTION TRIM(LIN-04-7143)
             WHEN "QTY"
               MOVE UNC-LINE TO QTY-RECORD
               COMPUTE WS-QUANTITY = FUNCTION NUMVAL(QTY-02-6060)
               MOVE WS-QUANTITY TO WS-SHOW-QUANTITY
               DISPLAY "QUANTITY " QTY-01-6063 " "
                   WS-SHOW-QUANTITY " [" QTY-03-6411 "]"
             WHEN "MOA"
               MOVE UNC-LINE TO MOA-RECORD
               COMPUTE WS-AMOUNT = FUNCTION NUMVAL(MOA-02-5004)
               ADD WS-AMOUNT TO WS-TOTAL
               MOVE WS-AMOUNT TO WS-SHOW-AMOUNT
               DISPLAY "AMOUNT " MOA-01-5025 " " WS-SHOW-AMOUNT
                   " [" MOA-03-6345 "]"
             WHEN OTHER
               CONTINUE
           END-EVALUATE.
